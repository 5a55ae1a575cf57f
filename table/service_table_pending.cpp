#include "table/service_table.h"

#include <QHash>

ChangeMap ServiceTable::current_values() const
{
    ChangeMap values;
    for (int row = 0; row < rowCount(); ++row) {
        const Service service(item(row, 0)->data(ServiceNameRole).toString());
        values.insert({service, QString()}, service_enabled(row) ? start_mark : kill_mark);
        for (int column = 1; column < columnCount(); ++column) {
            const QTableWidgetItem *cell = item(row, column);
            if (cell->data(KindRole).toInt() == RunlevelCell)
                values.insert({service, cell->data(RunlevelRole).toString()}, cell->data(MarkRole).toString());
        }
    }
    return values;
}

// Each edit goes the way of the user's own, so its cells show it as changed.
FittedEdits ServiceTable::register_edits(const ChangeMap &edits)
{
    const FittedEdits fitted = fit_edits(edits, current_values());
    QHash<QString, int> rows;
    for (int row = 0; row < rowCount(); ++row)
        rows.insert(item(row, 0)->data(ServiceNameRole).toString(), row);
    for (auto edit = fitted.pending.cbegin(); edit != fitted.pending.cend(); ++edit) {
        const int row = rows.value(edit.key().first.name);
        if (edit.key().second.isEmpty()) {
            switch_service_state(item(row, 0), edit.value() == start_mark);
            continue;
        }
        for (int column = 1; column < columnCount(); ++column) {
            QTableWidgetItem *cell = item(row, column);
            if (cell->data(KindRole).toInt() == RunlevelCell
                && cell->data(RunlevelRole).toString() == edit.key().second)
                switch_service_runlevel(cell, edit.value());
        }
    }
    return fitted;
}
