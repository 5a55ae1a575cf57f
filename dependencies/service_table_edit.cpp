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
bool plan_confirmed(QWidget *parent, const QString &name, const QString &notice, const QString &preview)
{
    const QString question = ServiceTable::tr("Write the new dependencies of %1 and register it again?").arg(name);
    QMessageBox box(QMessageBox::Question, ServiceTable::tr("Confirmation"),
                    notice.isEmpty() ? question : notice + QStringLiteral("\n\n") + question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    set_readable_details(box, preview);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

// Nothing is written before the plan is rehearsed and the user has seen it
// and said yes; the window hears of every write that was tried, done or not.
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
            const auto confirm = [&](const QString &notice, const QString &preview) {
                return plan_confirmed(&dialog, name, notice, preview);
            };
            const PlanResult result
                = run_plan(plan_dependencies(name, dependencies, system_facts()), confirm, QString(), &dialog);
            tried |= result != PlanResult::NotRun;
            return result == PlanResult::Applied;
        });
    }
    dialog.exec();
    if (tried)
        emit need_restart();
}
