#include "table/service_table.h"

#include "dependencies/dependencies_dialog.h"
#include "dependencies/dependencies_widget.h"

#include <QMessageBox>

#include <memory>

namespace {

// Apply writes; Close and Cancel discard; Escape and the window's close button
// leave the choice to the user.
bool changes_confirmed(ServiceTable *table, const DependenciesDialog &dialog, int result)
{
    if (!dialog.dependencies_widget()->modified())
        return false;
    if (result == QDialog::Accepted)
        return true;
    if (dialog.cancelled())
        return false;
    return QMessageBox::question(table, ServiceTable::tr("Service changes"), ServiceTable::tr("Apply changes?"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace

void ServiceTable::edit_service(QTableWidgetItem *item)
{
    if (!item)
        item = currentItem();
    if (!item)
        return;
    clearSelection();
    setCurrentItem(item);
    const QString name = item->data(ServiceNameRole).toString();

    auto dialog = std::make_unique<DependenciesDialog>(this, name);
    const int result = dialog->exec();
    if (!changes_confirmed(this, *dialog, result))
        return;

    run_plan(plan_dependencies(name, dialog->dependencies_widget()->collect_dependencies(), system_facts()), {},
             QString(), this);
    dialog.reset();
    emit need_restart();
}
