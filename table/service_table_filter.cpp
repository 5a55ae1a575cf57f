#include "table/service_table.h"

#include <QHeaderView>

void ServiceTable::filter_items(int column)
{
    const Qt::SortOrder order = horizontalHeader()->sortIndicatorOrder();
    filtered_column = column;
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

// Empty while every row is shown: the filter a header click left in force otherwise.
QString ServiceTable::filter_description() const
{
    const QTableWidgetItem *cell = rowCount() > 0 ? item(0, filtered_column) : nullptr;
    if (!cell || cell->data(KindRole).toInt() != RunlevelCell)
        return QString();
    const QString runlevel = cell->data(RunlevelRole).toString();
    QString description = horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder
        ? tr("Runlevel %1: services started, in boot order").arg(runlevel)
        : tr("Runlevel %1: services stopped, in shutdown order").arg(runlevel);
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
