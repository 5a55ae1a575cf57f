#include "table/service_table.h"

#include <QHeaderView>

void ServiceTable::filter_items(int column)
{
    const Qt::SortOrder order = horizontalHeader()->sortIndicatorOrder();
    filtered_column = column;
    run_filter = RunFilter::None;
    clearSelection();
    for (int row = 0; row < rowCount(); ++row) {
        const QTableWidgetItem *cell = item(row, column);
        if (!cell || cell->data(KindRole).toInt() != RunlevelCell) {
            showRow(row);
            continue;
        }
        const QString mark = cell->data(MarkRole).toString();
        const QString &hidden_mark = order == Qt::AscendingOrder ? kill_mark : start_mark;
        setRowHidden(row, mark.isEmpty() || cell->text() == disabled_mark || mark == hidden_mark);
    }
}

// The services enabled at boot that do not run now (dead ones included), or those
// disabled that run; a service whose state is not known yet is in neither.
void ServiceTable::filter_run_state(RunFilter filter)
{
    filtered_column = 0;
    run_filter = filter;
    clearSelection();
    for (int row = 0; row < rowCount(); ++row)
        setRowHidden(row, !passes_run_filter(row));
}

// Enabled is started by a link in some runlevel; a script that only stops is neither.
bool ServiceTable::passes_run_filter(int row) const
{
    if (run_filter == RunFilter::None)
        return true;
    const QTableWidgetItem *name_cell = item(row, 0);
    const QVariant known = name_cell->data(RunStateRole);
    if (!known.isValid())
        return false;
    const auto state = RunState(known.toInt());
    const QString name = name_cell->data(ServiceNameRole).toString();
    if (run_filter == RunFilter::DisabledRunning)
        return state == RunState::Running && disabled_services.contains(Service(name));
    const bool started = link_kinds.value(name).values().contains(start_mark.at(0));
    return (state == RunState::NotRunning || state == RunState::Dead) && started
        && !disabled_services.contains(Service(name));
}

// Empty while every row is shown: otherwise the filter that a header click or the
// status bar put in force.
QString ServiceTable::filter_description() const
{
    QString description;
    const QTableWidgetItem *cell = rowCount() > 0 ? item(0, filtered_column) : nullptr;
    if (run_filter == RunFilter::EnabledNotRunning)
        description = tr("Enabled, not running");
    else if (run_filter == RunFilter::DisabledRunning)
        description = tr("Disabled, running");
    else if (!cell || cell->data(KindRole).toInt() != RunlevelCell)
        return QString();
    else if (horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder)
        description = tr("Runlevel %1: services started, in boot order").arg(cell->data(RunlevelRole).toString());
    else
        description = tr("Runlevel %1: services stopped, in shutdown order").arg(cell->data(RunlevelRole).toString());
    bool any = false;
    for (int row = 0; row < rowCount() && !any; ++row)
        any = !isRowHidden(row);
    return any ? description : tr("%1: none").arg(description);
}

void ServiceTable::show_all_rows()
{
    if (columnCount() == 0)
        return;
    sortByColumn(0, Qt::AscendingOrder);
    filter_items(0);
}
