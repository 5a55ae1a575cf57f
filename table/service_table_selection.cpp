#include "table/service_table.h"

#include "app/resource.h"

#include <QKeyEvent>
#include <QMenu>

void ServiceTable::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTableView::selectionChanged(selected, deselected);
    state_cell_selected = enabled_state_selected = disabled_state_selected = false;
    level_cell_selected = level_s_selected = false;
    started_level_selected = stopped_level_selected = ignored_level_selected = false;

    const QList<QTableWidgetItem *> items = selectedItems();
    for (const QTableWidgetItem *item : items) {
        const int kind = item->data(KindRole).toInt();
        if (kind == StateCell) {
            state_cell_selected = true;
            (item->text() == disabled_mark ? disabled_state_selected : enabled_state_selected) = true;
        } else if (kind == RunlevelCell) {
            level_cell_selected = true;
            if (item->data(RunlevelRole).toString() == QLatin1String("S"))
                level_s_selected = true;
            const QString mark = item->data(MarkRole).toString();
            if (mark == start_mark)
                started_level_selected = true;
            else if (mark == kill_mark)
                stopped_level_selected = true;
            else
                ignored_level_selected = true;
        }
    }
    emit selection_changed(items.size() >= 1, items.size() >= 2, state_cell_selected, level_cell_selected,
                           level_s_selected);
}

void ServiceTable::context_menu(const QPoint &pos)
{
    QMenu menu;
    const auto add = [&menu](const char *icon, const QString &text, auto slot) {
        QAction *action = menu.addAction(Resource::instance().icon(QLatin1String(icon)), text);
        connect(action, &QAction::triggered, &menu, slot);
    };

    if (state_cell_selected) {
        if (enabled_state_selected)
            add("service disable", tr("disable service"), [this] { switch_services_state(false); });
        if (disabled_state_selected)
            add("service enable", tr("enable service"), [this] { switch_services_state(true); });
    } else if (level_cell_selected) {
        if (started_level_selected || stopped_level_selected)
            add("service ignore", tr("ignore"), [this] { switch_services_runlevels(QStringLiteral("")); });
        if (ignored_level_selected || stopped_level_selected)
            add("service start", tr("start"), [this] { switch_services_runlevels(start_mark); });
        if (!level_s_selected && (ignored_level_selected || started_level_selected))
            add("service stop", tr("stop"), [this] { switch_services_runlevels(kill_mark); });
    } else {
        add("edit service", tr("edit service"), [this] { edit_service(nullptr); });
    }
    if (!context_actions.isEmpty()) {
        menu.addSeparator();
        menu.addActions(context_actions);
    }
    // The request comes from the viewport, in its coordinates: mapped through the
    // table the menu would open a header's height away from the pointer.
    menu.exec(viewport()->mapToGlobal(pos));
}

// Shift+F10 is the keyboard's other way to the context menu, opened at the
// current cell; the Menu key arrives as a context menu event of its own.
void ServiceTable::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F10 || event->modifiers() != Qt::ShiftModifier)
        return QTableWidget::keyPressEvent(event);
    const QTableWidgetItem *current = currentItem();
    emit customContextMenuRequested(current ? visualItemRect(current).center() : QPoint());
}

void ServiceTable::select_service(const QString &name, int column)
{
    for (int row = 0; row < rowCount(); ++row) {
        if (item(row, 0)->data(ServiceNameRole).toString() == name) {
            setCurrentCell(row, column);
            scrollToItem(item(row, column), QAbstractItemView::PositionAtCenter);
            return;
        }
    }
}
