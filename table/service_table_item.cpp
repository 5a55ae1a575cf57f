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

} // namespace

ServiceTableItem::ServiceTableItem()
    : QTableWidgetItem(QTableWidgetItem::Type)
{
}

ServiceTableItem::~ServiceTableItem() = default;

bool ServiceTableItem::operator<(const QTableWidgetItem &other) const
{
    const auto *cell = dynamic_cast<const ServiceTableItem *>(&other);
    if (kind == ServiceTable::NameCell)
        return display_text < (cell ? cell->display_text : other.text());

    const QTableWidget *table = tableWidget();
    const bool descending = table && table->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
    if (kind == ServiceTable::RunlevelCell && descending)
        return kill_order_key
            < (cell ? cell->kill_order_key : sort_key(other.data(ServiceTable::KillOrderRole).toString()));
    return text_key < (cell ? cell->text_key : sort_key(other.text()));
}

// The keys change before the base class reports the change: a sorted table
// may move the cell at once, comparing it with the keys it has then.
void ServiceTableItem::setData(int role, const QVariant &value)
{
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        display_text = value.toString();
        text_key = sort_key(display_text);
    } else if (role == ServiceTable::KindRole) {
        kind = value.toInt();
    } else if (role == ServiceTable::KillOrderRole) {
        kill_order_key = sort_key(value.toString());
    }
    QTableWidgetItem::setData(role, value);
}

ServiceTableItem::SortKey ServiceTableItem::sort_key(const QString &text)
{
    if (text == ServiceTable::disabled_mark)
        return {2, 0};
    if (text == ServiceTable::enabled_mark)
        return {1, 0};
    return {0, text.toInt(nullptr, 10)};
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
