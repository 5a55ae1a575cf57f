#include "table/service_table.h"

#include "apply/details_box.h"
#include "apply/plan_text.h"
#include "catalogue/administrator_rights.h"
#include "dependencies/dependencies_dialog.h"
#include "dependencies/dependencies_widget.h"

#include <QMessageBox>

namespace {

// The same preview as an apply of the pending changes: every line written and
// every command run.
bool plan_confirmed(QWidget *parent, const QString &name, const ApplyPlan &plan)
{
    QMessageBox box(QMessageBox::Question, ServiceTable::tr("Confirmation"),
                    ServiceTable::tr("Write the new dependencies of %1 and register it again?").arg(name),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    set_readable_details(box, plan_preview(plan));
    return box.exec() == QMessageBox::Yes;
}

} // namespace

// Nothing is written before the user has seen the plan and said yes; the
// window hears of every write that was tried, done or not.
void ServiceTable::edit_service(QTableWidgetItem *item)
{
    if (!item)
        item = currentItem();
    if (!item)
        return;
    clearSelection();
    setCurrentItem(item);
    const QString name = item->data(ServiceNameRole).toString();

    DependenciesDialog dialog(this, name);
    bool tried = false;
    if (has_administrator_rights()) {
        dialog.set_apply([&] {
            const QVariantList dependencies = dialog.dependencies_widget()->collect_dependencies();
            const ApplyPlan plan = plan_dependencies(name, dependencies, system_facts());
            if (!plan_confirmed(&dialog, name, plan))
                return false;
            tried = true;
            return run_plan(plan, QString(), &dialog);
        });
    }
    dialog.exec();
    if (tried)
        emit need_restart();
}
