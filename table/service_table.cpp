#include "table/service_table.h"

#include "app/resource.h"
#include "catalogue/header_sources.h"
#include "catalogue/service_info.h"
#include "catalogue/system_paths.h"
#include "table/service_item_delegate.h"
#include "table/service_table_item.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

const QString ServiceTable::disabled_mark = QStringLiteral("off");
const QString ServiceTable::enabled_mark = QStringLiteral("on");
const QString ServiceTable::start_mark = QStringLiteral("S");
const QString ServiceTable::kill_mark = QStringLiteral("K");

namespace {

// Formatting through QString::arg costs more than the rest of a cell; a table
// formats some ten numbers a row.
QString padded(int number, int width)
{
    if (number < 0)
        return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
    const QString digits = QString::number(number);
    return digits.size() < width ? QString(width - digits.size(), QLatin1Char('0')) + digits : digits;
}

} // namespace

ServiceTable::ServiceTable()
    : delegate(std::make_unique<ServiceItemDelegate>())
{
    qRegisterMetaType<QItemSelection>();
    setItemDelegate(delegate.get());
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &ServiceTable::context_menu);
    // Pen tablets cannot double-click reliably; their style asks for single clicks.
    if (QApplication::style()->objectName() == QLatin1String("vornplastiquetablet"))
        connect(this, &QTableWidget::itemClicked, this, &ServiceTable::toggle_item);
    else
        connect(this, &QTableWidget::itemDoubleClicked, this, &ServiceTable::toggle_item);
}

ServiceTable::~ServiceTable() = default;

bool ServiceTable::load()
{
    if (!read_system()) {
        start_services.clear();
        kill_services.clear();
        headers.clear();
        return false;
    }

    QStringList labels{tr("Service"), tr("Start")};
    for (const QString &runlevel : all_runlevels())
        labels.append(tr("Runlevel %1").arg(runlevel));
    labels.append(tr("Kill"));
    setColumnCount(labels.size());
    fill_rows();
    setHorizontalHeaderLabels(labels);

    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(int(fontMetrics().boundingRect(QStringLiteral("X")).height() * 2.1));
    resizeColumnsToContents();
    // The header's own initial order is descending: services would open Z to A.
    horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    setSortingEnabled(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &ServiceTable::filter_items);
    if (rowCount() > 0)
        setCurrentCell(0, 0);
    return true;
}

QList<Service> ServiceTable::services(bool all_rows) const
{
    if (all_rows)
        return loaded_services;
    QSet<QString> hidden;
    for (int row = 0; row < rowCount(); ++row) {
        if (isRowHidden(row))
            hidden.insert(item(row, 0)->data(ServiceNameRole).toString());
    }
    if (hidden.isEmpty())
        return loaded_services;
    QList<Service> result;
    for (const Service &service : loaded_services) {
        if (!hidden.contains(service.name))
            result.append(service);
    }
    return result;
}

QString ServiceTable::name_text(const Service &service) const
{
    const QStringList names = service.provided_names();
    if (names.size() == 1 && names.first() == service.name)
        return service.name;
    return QStringLiteral("%1: %2").arg(service.name, names.join(QStringLiteral(", ")));
}

QString ServiceTable::sequence_text(const Service &service, const QSet<Service> &side) const
{
    const auto found = side.find(service);
    return found == side.end() ? enabled_mark : padded(found->sequence, 2);
}

QString ServiceTable::state_text(const Service &service, const QSet<Service> &side) const
{
    return disabled_services.contains(service) ? disabled_mark : sequence_text(service, side);
}

void ServiceTable::fill_rows()
{
    const QStringList runlevels = all_runlevels();
    setRowCount(loaded_services.size());
    verticalHeader()->setVisible(false);
    {
        // Each placed cell would be reported on its own, eleven reports a row;
        // the sort that follows the filling makes the view take in all of it.
        const QSignalBlocker quiet(model());
        for (int row = 0; row < loaded_services.size(); ++row) {
            const QList<ServiceTableItem *> cells = row_cells(loaded_services.at(row), runlevels);
            for (int column = 0; column < cells.size(); ++column)
                setItem(row, column, cells.at(column));
        }
    }
    resizeColumnsToContents();
}

// Every cell gets its data before it enters the table: a change to a placed
// cell is reported to the view, and in a sorted table searched for.
QList<ServiceTableItem *> ServiceTable::row_cells(const Service &service, const QStringList &runlevels) const
{
    const bool linked = linked_services.contains(service);
    const auto start = start_services.find(service);
    const auto kill = kill_services.find(service);
    QString kill_order;
    if (linked)
        kill_order = kill == kill_services.end() ? QStringLiteral("100") : padded(100 - kill->sequence, 3);

    ServiceTableItem *name_cell = ServiceTableItem::name_cell(name_text(service));
    if (overridden.contains(service.name))
        mark_override(name_cell, service.name);
    QList<ServiceTableItem *> cells{name_cell, ServiceTableItem::state_cell(state_text(service, start_services))};
    const QString start_text = start == start_services.end() ? QString() : padded(start->sequence, 2);
    const QStringList would_start = disabled_start_levels(service);
    for (const QString &runlevel : runlevels) {
        QString mark;
        if (start != start_services.end() && start->runlevels.contains(runlevel))
            mark = start_mark;
        else if (kill != kill_services.end() && kill->runlevels.contains(runlevel))
            mark = kill_mark;
        QString text = disabled_mark;
        if (linked)
            text = mark == start_mark ? start_text : QStringLiteral("100");
        if (mark == kill_mark && would_start.contains(runlevel))
            mark = start_mark;
        cells.append(ServiceTableItem::runlevel_cell(text, mark, runlevel, kill_order));
    }
    cells.append(ServiceTableItem::state_cell(state_text(service, kill_services)));
    for (ServiceTableItem *cell : std::as_const(cells))
        cell->setData(ServiceNameRole, service.name);
    return cells;
}

// A service disabled the Debian way has stop links where its header starts it;
// its row shows, greyed, where it would start once enabled, which is what
// enabling it brings back.
QStringList ServiceTable::disabled_start_levels(const Service &service) const
{
    if (!disabled_services.contains(service) || !linked_services.contains(service))
        return {};
    const QStringList starts
        = loaded_header(service.name).field(QStringLiteral("Default-Start")).split(QLatin1Char(' '));
    QStringList levels;
    for (const QString &level : toggled_runlevels()) {
        if (starts.contains(level))
            levels.append(level);
    }
    return levels;
}

// insserv reads an override instead of the script's header: the user should
// see which services have one, and where it lies.
void ServiceTable::mark_override(QTableWidgetItem *name_cell, const QString &name) const
{
    name_cell->setIcon(Resource::instance().icon(QStringLiteral("override")));
    name_cell->setToolTip(tr("Override: %1").arg(overrides_dir().filePath(name)));
}

int ServiceTable::sizeHintForColumn(int column) const
{
    if (column != 0 || columnCount() < 2)
        return horizontalHeader()->sectionSizeHint(column);
    int sum = 0;
    for (int other = 1; other < columnCount(); ++other)
        sum += horizontalHeader()->sectionSizeHint(other);
    return std::max(int(sum / (columnCount() - 1) * 1.5), viewport()->width() - sum);
}

void ServiceTable::selectAll()
{
    if (rowCount() == 0)
        return;
    clearSelection();
    selectColumn(0);
}
