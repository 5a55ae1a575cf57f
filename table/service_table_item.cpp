#include "table/service_table_item.h"

#include "table/service_table.h"

#include <QHeaderView>

namespace {

ServiceTableItem *cell(ServiceTable::CellKind kind, const QString &text)
{
    auto *item = new ServiceTableItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setText(text);
    item->setData(ServiceTable::KindRole, int(kind));
    return item;
}

bool key_less(const QString &a, const QString &b)
{
    if (a == ServiceTable::disabled_mark)
        return false;
    if (a == ServiceTable::enabled_mark)
        return b == ServiceTable::disabled_mark;
    if (b == ServiceTable::enabled_mark || b == ServiceTable::disabled_mark)
        return true;
    return a.toInt(nullptr, 10) < b.toInt(nullptr, 10);
}

} // namespace

ServiceTableItem::ServiceTableItem()
    : QTableWidgetItem(QTableWidgetItem::Type)
{
}

ServiceTableItem::~ServiceTableItem() = default;

bool ServiceTableItem::operator<(const QTableWidgetItem &other) const
{
    const int kind = data(ServiceTable::KindRole).toInt();
    if (kind == ServiceTable::NameCell)
        return text() < other.text();

    const QTableWidget *table = tableWidget();
    const bool descending = table && table->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
    if (kind == ServiceTable::RunlevelCell && descending)
        return key_less(data(ServiceTable::KillOrderRole).toString(),
                        other.data(ServiceTable::KillOrderRole).toString());
    return key_less(text(), other.text());
}

ServiceTableItem *ServiceTableItem::name_cell(const QString &text)
{
    return cell(ServiceTable::NameCell, text);
}

ServiceTableItem *ServiceTableItem::state_cell(const QString &text)
{
    ServiceTableItem *item = cell(ServiceTable::StateCell, text);
    item->setData(Qt::TextAlignmentRole, int(Qt::AlignCenter));
    return item;
}

ServiceTableItem *ServiceTableItem::runlevel_cell(const QString &text, const QString &mark,
                                                  const QString &runlevel, const QString &kill_order)
{
    ServiceTableItem *item = cell(ServiceTable::RunlevelCell, text);
    item->setData(ServiceTable::MarkRole, mark);
    item->setData(ServiceTable::RunlevelRole, runlevel);
    item->setData(ServiceTable::KillOrderRole, kill_order);
    return item;
}
