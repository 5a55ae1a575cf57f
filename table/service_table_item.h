#pragma once

#include <QTableWidgetItem>

// A cell of the service table. Its ordering sorts numbers as numbers with "on"
// and "off" after them, and a runlevel column by kill order when descending.
class ServiceTableItem : public QTableWidgetItem
{
public:
    ServiceTableItem();
    ~ServiceTableItem() override;

    bool operator<(const QTableWidgetItem &other) const override;

    static ServiceTableItem *name_cell(const QString &text);
    static ServiceTableItem *state_cell(const QString &text);
    static ServiceTableItem *runlevel_cell(const QString &text, const QString &mark, const QString &runlevel,
                                           const QString &kill_order);
};
