#pragma once

#include <QTableWidgetItem>

#include <utility>

// A cell of the service table. Its ordering sorts numbers as numbers with "on"
// and "off" after them, and a runlevel column by kill order when descending.
//
// A table holds eleven cells per service, so each cell keeps the roles every
// cell of its kind carries (text, kind, service name, and the alignment or the
// mark, runlevel and kill order) as members rather than in the base class's
// growing list, together with the sort keys taken from them, which a sort
// compares many times. The other roles (colour, changed) stay in the base
// class; QAbstractItemModel::itemData() lists only those.
class ServiceTableItem : public QTableWidgetItem
{
public:
    ServiceTableItem();
    ServiceTableItem(const ServiceTableItem &other) = default;
    ~ServiceTableItem() override;

    QTableWidgetItem *clone() const override;
    QVariant data(int role) const override;
    void setData(int role, const QVariant &value) override;
    bool operator<(const QTableWidgetItem &other) const override;

    static ServiceTableItem *name_cell(const QString &text);
    static ServiceTableItem *state_cell(const QString &text);
    static ServiceTableItem *runlevel_cell(const QString &text, const QString &mark, const QString &runlevel,
                                           const QString &kill_order);

private:
    // A number ranks before "on", which ranks before "off".
    using SortKey = std::pair<int, int>;
    static SortKey sort_key(const QString &text);

    static ServiceTableItem *cell(int kind, const QString &text);
    QVariant *member(int role);
    const QVariant *member(int role) const;
    void store(QVariant *slot, int role, const QVariant &value);
    void update_keys(int role);

    QVariant display;
    QVariant alignment;
    QVariant service_name;
    QVariant mark;
    QVariant runlevel;
    QVariant kind;
    QVariant kill_order;
    int kind_value = 0;
    QString display_text;
    SortKey text_key{0, 0};
    SortKey kill_order_key{0, 0};
};
