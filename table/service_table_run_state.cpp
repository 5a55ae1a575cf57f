#include "table/service_table.h"

#include "catalogue/system_paths.h"

#include <QSet>

QString ServiceTable::run_state_text(RunState state)
{
    switch (state) {
    case RunState::Running:
        return tr("Running");
    case RunState::NotRunning:
        return tr("Not running");
    case RunState::Dead:
        return tr("Dead (pid file left)");
    case RunState::Unknown:
        break;
    }
    return tr("Unknown");
}

// The override's tool tip, when there is one, stays under the state's.
void ServiceTable::show_run_state(const QString &name, RunState state)
{
    QTableWidgetItem *cell = name_cell_of(name);
    if (!cell)
        return;
    QString tip = run_state_text(state);
    if (overridden.contains(name))
        tip += QLatin1Char('\n') + tr("Override: %1").arg(overrides_dir().filePath(name));
    cell->setData(RunStateRole, int(state));
    cell->setToolTip(tip);
    if (run_filter != RunFilter::None)
        setRowHidden(cell->row(), !passes_run_filter(cell->row()));
}

QTableWidgetItem *ServiceTable::name_cell_of(const QString &name)
{
    if (name_cells.isEmpty()) {
        for (int row = 0; row < rowCount(); ++row)
            name_cells.insert(item(row, 0)->data(ServiceNameRole).toString(), item(row, 0));
    }
    return name_cells.value(name);
}

QStringList ServiceTable::selected_services() const
{
    QStringList names;
    for (const QTableWidgetItem *cell : selectedItems())
        names.append(cell->data(ServiceNameRole).toString());
    return boot_ordered(names);
}

QStringList ServiceTable::boot_ordered(const QStringList &names) const
{
    QSet<QString> wanted(names.cbegin(), names.cend());
    QStringList ordered;
    for (const Service &service : loaded_services) {
        if (wanted.remove(service.name))
            ordered.append(service.name);
    }
    for (const QString &name : names) {
        if (wanted.remove(name))
            ordered.append(name);
    }
    return ordered;
}
