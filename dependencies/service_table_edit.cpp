#include "table/service_table.h"

#include "apply/insserv_error.h"
#include "apply/override_writer.h"
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
    const Service service(name);

    auto dialog = std::make_unique<DependenciesDialog>(this, name);
    const int result = dialog->exec();
    if (!changes_confirmed(this, *dialog, result))
        return;

    // A service without links is not to be registered by editing it: insserv only
    // checks its new dependencies.
    try {
        const QVariant payload = dialog->dependencies_widget()->collect_dependencies();
        if (!write_override(service, payload, remove_deps, nullptr, add_deps))
            throw InsservError(tr("Error while overriding dependencies"));
        if (linked_services.contains(service)) {
            run_insserv(service, QString(), kill_mark, true, false);
            run_insserv(service, QString(), start_mark, false, false);
        } else {
            run_insserv(service, QString(), start_mark, false, true);
        }
    } catch (const InsservError &error) {
        error.show();
    }
    dialog.reset();
    emit need_restart();
}
