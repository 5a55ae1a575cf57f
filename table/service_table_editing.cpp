#include "table/service_table.h"

bool ServiceTable::register_change(Service service, QString level, QString new_value, QString old_value)
{
    const QPair<Service, QString> key(service, level);
    const auto loaded = loaded_values.constFind(key);
    if (loaded == loaded_values.constEnd()) {
        loaded_values.insert(key, old_value);
        changes.insert(key, new_value);
        return true;
    }
    if (loaded.value() == new_value) {
        changes.remove(key);
        return false;
    }
    changes.insert(key, new_value);
    return true;
}

void ServiceTable::switch_service_runlevel(QTableWidgetItem *item, QString mark)
{
    const QString previous = item->data(MarkRole).toString();
    if (previous == mark)
        return;
    item->setData(MarkRole, mark);
    const Service service(item->data(ServiceNameRole).toString());
    item->setData(ChangedRole, register_change(service, item->data(RunlevelRole).toString(), mark, previous));
    emit table_changed(!changes.isEmpty());
}

void ServiceTable::toggle_service_runlevel(QTableWidgetItem *item)
{
    const QString mark = item->data(MarkRole).toString();
    QString next = start_mark;
    if (mark == kill_mark)
        next = QStringLiteral("");
    else if (mark == start_mark)
        next = item->data(RunlevelRole).toString() == start_mark ? QStringLiteral("") : kill_mark;
    switch_service_runlevel(item, next);
}

// A bulk mark reaches runlevel cells only: a name or state cell has no runlevel,
// and a mark recorded under the empty level would read as the service's state.
void ServiceTable::switch_services_runlevels(QString mark)
{
    for (QTableWidgetItem *item : selectedItems()) {
        if (item->data(KindRole).toInt() == RunlevelCell)
            switch_service_runlevel(item, mark);
    }
    ignored_level_selected = mark.isEmpty();
    started_level_selected = mark == start_mark;
    stopped_level_selected = mark == kill_mark;
}

bool ServiceTable::service_enabled(int row) const
{
    return item(row, 1)->text() != disabled_mark || item(row, columnCount() - 1)->text() != disabled_mark;
}

void ServiceTable::switch_service_state(QTableWidgetItem *item, bool enable)
{
    const int row = item->row();
    if (service_enabled(row) == enable)
        return;
    QTableWidgetItem *start_cell = this->item(row, 1);
    QTableWidgetItem *kill_cell = this->item(row, columnCount() - 1);
    const Service service(item->data(ServiceNameRole).toString());

    start_cell->setText(enable ? sequence_text(service, start_services) : disabled_mark);
    kill_cell->setText(enable ? sequence_text(service, kill_services) : disabled_mark);
    const QString new_value = enable ? start_mark : kill_mark;
    const QString old_value = enable ? kill_mark : start_mark;
    const bool changed = register_change(service, QString(), new_value, old_value);
    start_cell->setData(ChangedRole, changed);
    kill_cell->setData(ChangedRole, changed);
    emit table_changed(!changes.isEmpty());
}

void ServiceTable::toggle_service_state(QTableWidgetItem *item)
{
    switch_service_state(item, !service_enabled(item->row()));
}

void ServiceTable::switch_services_state(bool enable)
{
    for (QTableWidgetItem *item : selectedItems())
        switch_service_state(item, enable);
    enabled_state_selected = enable;
    disabled_state_selected = !enable;
}

void ServiceTable::toggle_item(QTableWidgetItem *item)
{
    if (!item)
        item = currentItem();
    if (!item)
        return;
    if (item->data(MarkRole).isValid())
        toggle_service_runlevel(item);
    else if (item->data(KindRole).toInt() == NameCell)
        edit_service(item);
    else
        toggle_service_state(item);
}
