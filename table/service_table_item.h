#pragma once

#include <QTableWidgetItem>

#include <utility>

// A cell of the service table. Its ordering sorts numbers as numbers with "on"
// and "off" after them, and a runlevel column by kill order when descending.
// A sort compares each cell many times, so every cell keeps its sort keys
// ready, updated whenever the data they come from changes.
class ServiceTableItem : public QTableWidgetItem
{
public:
    ServiceTableItem();
    ~ServiceTableItem() override;

    bool operator<(const QTableWidgetItem &other) const override;
    void setData(int role, const QVariant &value) override;

    static ServiceTableItem *name_cell(const QString &text);
    static ServiceTableItem *state_cell(const QString &text);
    static ServiceTableItem *runlevel_cell(const QString &text, const QString &mark, const QString &runlevel,
                                           const QString &kill_order);

private:
    // A number ranks before "on", which ranks before "off".
    using SortKey = std::pair<int, int>;
    static SortKey sort_key(const QString &text);

    int kind = 0;
    QString display_text;
    SortKey text_key{0, 0};
    SortKey kill_order_key{0, 0};
};
