#include "table/service_table_item.h"

#include "table/service_table.h"

#include <QHeaderView>

ServiceTableItem::ServiceTableItem()
    : QTableWidgetItem(QTableWidgetItem::Type)
{
}

ServiceTableItem::~ServiceTableItem() = default;

QTableWidgetItem *ServiceTableItem::clone() const
{
    return new ServiceTableItem(*this);
}

QVariant *ServiceTableItem::member(int role)
{
    return const_cast<QVariant *>(static_cast<const ServiceTableItem *>(this)->member(role));
}

const QVariant *ServiceTableItem::member(int role) const
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return &display;
    case Qt::TextAlignmentRole:
        return &alignment;
    case ServiceTable::ServiceNameRole:
        return &service_name;
    case ServiceTable::MarkRole:
        return &mark;
    case ServiceTable::RunlevelRole:
        return &runlevel;
    case ServiceTable::KindRole:
        return &kind;
    case ServiceTable::KillOrderRole:
        return &kill_order;
    default:
        return nullptr;
    }
}

QVariant ServiceTableItem::data(int role) const
{
    const QVariant *value = member(role);
    return value ? *value : QTableWidgetItem::data(role);
}

// A cell in a table passes the change on to the base class as well, which tells
// the table; the keys change first, as a sorted table may move the cell at once.
void ServiceTableItem::setData(int role, const QVariant &value)
{
    QVariant *stored = member(role);
    if (!stored) {
        QTableWidgetItem::setData(role, value);
        return;
    }
    if (stored->isValid() == value.isValid() && *stored == value)
        return;
    store(stored, role, value);
    if (tableWidget())
        QTableWidgetItem::setData(role, value);
}

void ServiceTableItem::store(QVariant *slot, int role, const QVariant &value)
{
    *slot = value;
    update_keys(role);
}

void ServiceTableItem::update_keys(int role)
{
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        display_text = display.toString();
        text_key = sort_key(display_text);
    } else if (role == ServiceTable::KindRole) {
        kind_value = kind.toInt();
    } else if (role == ServiceTable::KillOrderRole) {
        kill_order_key = sort_key(kill_order.toString());
    }
}

bool ServiceTableItem::operator<(const QTableWidgetItem &other) const
{
    const auto *cell = dynamic_cast<const ServiceTableItem *>(&other);
    if (kind_value == ServiceTable::NameCell)
        return display_text < (cell ? cell->display_text : other.text());

    const QTableWidget *table = tableWidget();
    const bool descending = table && table->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
    if (kind_value == ServiceTable::RunlevelCell && descending)
        return kill_order_key
            < (cell ? cell->kill_order_key : sort_key(other.data(ServiceTable::KillOrderRole).toString()));
    return text_key < (cell ? cell->text_key : sort_key(other.text()));
}

ServiceTableItem::SortKey ServiceTableItem::sort_key(const QString &text)
{
    if (text == ServiceTable::disabled_mark)
        return {2, 0};
    if (text == ServiceTable::enabled_mark)
        return {1, 0};
    // Sequence numbers and kill-order keys are short runs of digits: reading
    // those directly spares the general conversion at every load.
    int value = 0;
    bool digits = !text.isEmpty() && text.size() <= 9;
    for (const QChar character : text) {
        if (!digits || character < QLatin1Char('0') || character > QLatin1Char('9')) {
            digits = false;
            break;
        }
        value = value * 10 + (character.unicode() - '0');
    }
    return {0, digits ? value : text.toInt(nullptr, 10)};
}

// A new cell is not in a table yet: its roles go straight to its members.
ServiceTableItem *ServiceTableItem::cell(int kind, const QString &text)
{
    auto *item = new ServiceTableItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->store(&item->display, Qt::DisplayRole, text);
    item->store(&item->kind, ServiceTable::KindRole, kind);
    return item;
}

ServiceTableItem *ServiceTableItem::name_cell(const QString &text)
{
    return cell(ServiceTable::NameCell, text);
}

ServiceTableItem *ServiceTableItem::state_cell(const QString &text)
{
    ServiceTableItem *item = cell(ServiceTable::StateCell, text);
    item->store(&item->alignment, Qt::TextAlignmentRole, int(Qt::AlignCenter));
    return item;
}

ServiceTableItem *ServiceTableItem::runlevel_cell(const QString &text, const QString &mark, const QString &runlevel,
                                                  const QString &kill_order)
{
    ServiceTableItem *item = cell(ServiceTable::RunlevelCell, text);
    item->store(&item->mark, ServiceTable::MarkRole, mark);
    item->store(&item->runlevel, ServiceTable::RunlevelRole, runlevel);
    item->store(&item->kill_order, ServiceTable::KillOrderRole, kill_order);
    return item;
}
