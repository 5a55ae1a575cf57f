#include "table/service_table.h"

#include "apply/apply_trace.h"
#include "apply/details_box.h"
#include "apply/insserv_error.h"
#include "apply/override_writer.h"
#include "apply/package_lock.h"
#include "apply/plan_check.h"
#include "apply/plan_executor.h"
#include "apply/plan_text.h"
#include "catalogue/system_paths.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>

#include <memory>

namespace {

// A run of more than a couple of programs takes long enough to be worth showing.
const int runs_shown_in_progress = 3;

std::unique_ptr<QProgressDialog> progress_dialog(QWidget *parent, const ApplyPlan &plan)
{
    if (plan.program_runs() < runs_shown_in_progress)
        return nullptr;
    auto dialog = std::make_unique<QProgressDialog>(parent);
    dialog->setWindowTitle(ServiceTable::tr("Applying"));
    // No cancel: stopping in the middle of a step would leave it half done.
    dialog->setCancelButton(nullptr);
    dialog->setRange(0, plan.steps.size());
    dialog->setMinimumDuration(0);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    return dialog;
}

ProgressReporter reporter(QProgressDialog *dialog, const QString &label)
{
    if (!dialog)
        return {};
    return [dialog, label](int number, int steps, const PlanStep &step) {
        dialog->setLabelText(label.arg(number).arg(steps).arg(step_text(step)));
        dialog->setValue(number - 1);
    };
}

// While packages are installed or removed, their maintainer scripts run
// update-rc.d and insserv themselves: nothing is done meanwhile.
void refuse_while_packages_change(QWidget *parent, const ApplyTrace &trace, const ApplyPlan &plan,
                                  const BootConfiguration &before)
{
    const QString text = ServiceTable::tr("The package manager is running; apply when it has finished.");
    trace.refused(plan, before, {QStringLiteral("the package manager is running")});
    QMessageBox box(QMessageBox::Warning, ServiceTable::tr("Package manager running"), text, QMessageBox::Ok, parent);
    box.exec();
}

// What went wrong beside the change itself (etckeeper, the history) never
// undoes it: it is told once the change is done.
void show_warnings(QWidget *parent, const QStringList &warnings, bool applied)
{
    if (warnings.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning,
                    applied ? ServiceTable::tr("Applied, with a warning") : ServiceTable::tr("Warning"),
                    warnings.join(QStringLiteral("\n\n")), QMessageBox::Ok, parent);
    box.exec();
}

QString with_notice(const QString &notice, const QString &preview)
{
    return notice.isEmpty() ? preview : notice + QStringLiteral("\n\n") + preview;
}

} // namespace

SystemFacts ServiceTable::system_facts() const
{
    SystemFacts facts;
    for (const Service &service : services(true)) {
        ServiceFacts &known = facts[service.name];
        known.listed = service.type != Service::Unset;
        known.sequence = service.sequence;
        known.linked = linked_services.contains(service);
        known.disabled = disabled_services.contains(service);
        known.link_kinds = link_kinds.value(service.name);
    }
    return facts;
}

QStringList ServiceTable::disabled_backbone_services() const
{
    return disabled_backbone(changes, start_services, kill_services);
}

ApplyPlan ServiceTable::changes_plan() const
{
    return plan_changes(changes, system_facts());
}

ApplyPlan ServiceTable::reset_plan() const
{
    QStringList names;
    for (const QTableWidgetItem *cell : selectedItems())
        names.append(cell->data(ServiceNameRole).toString());
    return plan_reset(names, system_facts());
}

// A plan is made from what the load read; run on anything else it could undo
// what another program did since.
bool ServiceTable::machine_unchanged(const BootConfiguration &since, const ApplyTrace &trace, const ApplyPlan &plan)
{
    QStringList changed = changed_services(configuration, read_boot_configuration(system_root()));
    changed += changed_services(configuration, since);
    changed.removeDuplicates();
    if (changed.isEmpty())
        return true;
    trace.refused(plan, configuration,
                  {QStringLiteral("changed since the table was read: ") + changed.join(QStringLiteral(", "))});
    emit configuration_changed(changed);
    return false;
}

Rehearsal ServiceTable::rehearsed(const ApplyPlan &plan)
{
    const std::unique_ptr<QProgressDialog> dialog = progress_dialog(this, plan);
    if (dialog)
        dialog->setWindowTitle(tr("Trying the changes on a copy"));
    return rehearse(plan, SetupCheck{listing_refused, refusal},
                    reporter(dialog.get(), tr("Step %1 of %2 on a copy: %3")));
}

void ServiceTable::show_refusal(const ApplyPlan &plan, const Rehearsal &rehearsal, const QStringList &problems)
{
    QStringList details;
    if (rehearsal.outcome.error)
        details.append(rehearsal.outcome.error->message());
    if (!rehearsal.setup_after.messages.isEmpty())
        details.append(QStringLiteral("insserv -s:\n") + rehearsal.setup_after.messages);
    details.append(plan_preview(plan, rehearsal));
    QMessageBox box(QMessageBox::Critical, tr("Not applied"),
                    tr("The changes were tried on a copy of the boot configuration first, and nothing was changed on "
                       "this machine:")
                        + QStringLiteral("\n\n") + problems.join(QLatin1Char('\n')),
                    QMessageBox::Ok, this);
    set_readable_details(box, details.join(QStringLiteral("\n\n")));
    exec_offering_edit(box, services_to_edit(plan, rehearsal));
}

ServiceTable::PlanResult ServiceTable::run_plan(const ApplyPlan &given, const PlanConfirmation &confirm,
                                                const QString &result, QWidget *result_parent)
{
    const ApplyTrace trace;
    if (PackageLock::package_manager_running()) {
        refuse_while_packages_change(this, trace, given, configuration);
        return PlanResult::NotRun;
    }
    if (!machine_unchanged(configuration, trace, given))
        return PlanResult::NotRun;
    const Rehearsal rehearsal = rehearsed(given);
    const ApplyPlan &plan = rehearsal.plan;
    if (rehearsal.available) {
        const DependencyGraph after = dependency_graph_with(rehearsal.after.overrides);
        const QStringList problems = rehearsal_problems(plan, rehearsal, names_to_scripts(), &after);
        if (!problems.isEmpty()) {
            trace.refused(plan, configuration, problems);
            show_refusal(plan, rehearsal, problems);
            return PlanResult::NotRun;
        }
    }
    const QString notice = rehearsal.available ? QString()
        : tr("These changes cannot be tried on a copy first (%1); only insserv's dry runs check them before the "
             "machine changes.").arg(rehearsal.unavailable);
    if (confirm && !confirm(notice, with_notice(trace.etckeeper_notice(), plan_preview(plan, rehearsal))))
        return PlanResult::NotRun;
    const BootConfiguration before = read_boot_configuration(system_root());
    if (!machine_unchanged(rehearsal.available ? rehearsal.before : before, trace, plan))
        return PlanResult::NotRun;
    // Held to the end, so that apt and dpkg wait for the apply.
    PackageLock lock;
    if (!lock.take()) {
        refuse_while_packages_change(this, trace, plan, before);
        return PlanResult::NotRun;
    }

    QStringList warnings = trace.before_run(plan, before);
    std::unique_ptr<QProgressDialog> dialog = progress_dialog(this, plan);
    const PlanOutcome outcome =
        execute_plan(plan, before, plan.intended, process_runner, reporter(dialog.get(), tr("Step %1 of %2: %3")));
    warnings += trace.after_run(plan, before, outcome);
    dialog.reset();
    lock.release();
    if (outcome.error) {
        show_failure(plan, outcome);
        show_warnings(result_parent, warnings, false);
        return PlanResult::Failed;
    }
    if (!result.isEmpty()) {
        QMessageBox box(QMessageBox::Information, tr("Result"), result, QMessageBox::Ok, result_parent);
        set_readable_details(box, outcome_details(outcome));
        box.exec();
    }
    show_warnings(result_parent, warnings, true);
    return PlanResult::Applied;
}

// A runlevel change only rewrites the override; a change of the whole service
// is one insserv run.
void ServiceTable::run_insserv(const Service &service, const QString &level, const QString &value, bool force,
                               bool dryrun)
{
    if (level.isEmpty()) {
        run_step(insserv_step(service.name, value, force, dryrun), process_runner);
        return;
    }
    const ServiceInfo source(service.name);
    if (!write_override(service, level_payload(source.lines, level, value), override_level, nullptr,
                        missing_level_field))
        throw InsservError(tr("Error while creating override file"));
}

void ServiceTable::run_changes(const ChangeMap &work, bool force, bool dryrun)
{
    for (const ChangeKey &key : run_order(work, system_facts()))
        run_insserv(key.first, key.second, work.value(key), force, dryrun);
}

void ServiceTable::apply_changes()
{
    run_plan(changes_plan(), {}, tr("Changes are applied"), this);
}

// A service is reset by deleting its override and letting insserv register it
// again from its script. selectedItems() leaves hidden rows out, so an
// override is only deleted where the user sees it, and always re-registered.
void ServiceTable::reset_services_defaults()
{
    run_plan(reset_plan(), {}, tr("Reset is completed"), nullptr);
}
