#pragma once

#include "table/service_table.h"

// Reads a service table's cells by service name, wherever sorting has put its row.
class TableCells
{
public:
    explicit TableCells(const QTableWidget &table) : cells_of(table) {}

    int row_of(const QString &name) const
    {
        for (int row = 0; row < cells_of.rowCount(); ++row)
            if (cells_of.item(row, 0)->data(ServiceTable::ServiceNameRole).toString() == name)
                return row;
        return -1;
    }

    QTableWidgetItem *cell(const QString &name, int column) const { return cells_of.item(row_of(name), column); }

    // Column of a runlevel: "S" is 2, "1" to "6" are 3 to 8, "0" is 9.
    static int column_of(const QString &runlevel)
    {
        return runlevel == "S" ? 2 : runlevel == "0" ? 9 : runlevel.toInt() + 2;
    }

    QTableWidgetItem *level_cell(const QString &name, const QString &level) const
    {
        return cell(name, column_of(level));
    }

    // Cell texts | marks ("-" for none) | kill-order keys of a service's row.
    QString summary(const QString &name) const
    {
        QStringList texts, marks, keys;
        for (int column = 0; column < cells_of.columnCount(); ++column)
            texts.append(cell(name, column)->text());
        for (int column = 2; column < 10; ++column) {
            const QString mark = cell(name, column)->data(ServiceTable::MarkRole).toString();
            marks.append(mark.isEmpty() ? QStringLiteral("-") : mark);
            keys.append(cell(name, column)->data(ServiceTable::KillOrderRole).toString());
        }
        return texts.join(' ') + '|' + marks.join(QString()) + '|' + keys.join(' ').trimmed();
    }

    QStringList visible_names() const
    {
        QStringList names;
        for (int row = 0; row < cells_of.rowCount(); ++row)
            if (!cells_of.isRowHidden(row))
                names.append(cells_of.item(row, 0)->data(ServiceTable::ServiceNameRole).toString());
        return names;
    }

private:
    const QTableWidget &cells_of;
};

// The service table with its recorded state opened up for the tests.
class TestTable : public ServiceTable, public TableCells
{
public:
    TestTable() : TableCells(static_cast<const QTableWidget &>(*this)) {}

    using ServiceTable::changes;
    using ServiceTable::find_service_item;
    using ServiceTable::highlighted_items;
    using ServiceTable::loaded_values;
    using ServiceTable::process_runner;
    using ServiceTable::run_insserv;
    using ServiceTable::system_facts;
};
