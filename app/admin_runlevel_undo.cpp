#include "app/admin_runlevel.h"

#include "apply/apply_history.h"
#include "apply/apply_trace.h"
#include "apply/undo_plan.h"
#include "table/service_table.h"

#include <QAction>
#include <QMessageBox>

namespace {

QString operation_name(const QString &operation)
{
    if (operation == QLatin1String("reset"))
        return AdminRunlevel::tr("reset");
    if (operation == QLatin1String("dependency edit"))
        return AdminRunlevel::tr("dependency edit");
    return AdminRunlevel::tr("apply");
}

} // namespace

void AdminRunlevel::read_undo_state()
{
    undoable = administrator && last_undoable(read_history()).has_value();
    undo_last->setEnabled(undoable && table->pending_changes() == 0);
}

// An undo is refused while a service it would put back changed since: it would
// undo that change too, which nobody asked for. Otherwise it runs as an apply
// does, its preview showing every link and override it puts back.
void AdminRunlevel::undo_last_apply()
{
    const std::optional<HistoryEntry> entry = last_undoable(read_history());
    if (!entry) {
        read_undo_state();
        return;
    }
    const QString title = tr("Undo last apply");
    const UndoPlan undo = plan_undo(*entry, table->loaded_configuration());
    if (!undo.changed_since.isEmpty()) {
        const QString services = undo.changed_since.join(QStringLiteral(", "));
        ApplyTrace().refused(undo.plan, table->loaded_configuration(),
                             {QStringLiteral("changed since that apply: ") + services});
        QMessageBox box(QMessageBox::Warning, title,
                        tr("%1 changed since the %2 of %3 (by another program, or by hand); undoing it would undo that "
                           "change too. Nothing was done.")
                            .arg(services, operation_name(entry->operation), entry->date),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    const QString question = tr("Put back %1 as before the %2 of %3 by %4?")
                                 .arg(QStringList(undo.plan.intended.keys()).join(QStringLiteral(", ")),
                                      operation_name(entry->operation), entry->date, entry->user);
    const auto confirm = [&](const QString &notice, const QString &preview) {
        return confirmed(title, with_notice(notice, question), preview);
    };
    if (table->run_plan(undo.plan, confirm, tr("The last apply is undone."), table) != ServiceTable::PlanResult::NotRun)
        rebuild_table();
}
