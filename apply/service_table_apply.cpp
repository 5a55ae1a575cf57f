#include "table/service_table.h"

#include "apply/details_box.h"
#include "apply/insserv_error.h"
#include "apply/override_writer.h"
#include "apply/plan_executor.h"
#include "apply/plan_text.h"

#include <QMessageBox>
#include <QProgressDialog>

#include <memory>

namespace {

// A run of more than a couple of programs takes long enough to be worth showing.
const int runs_shown_in_progress = 3;

std::unique_ptr<QProgressDialog> progress_dialog(QWidget *parent, int steps)
{
    auto dialog = std::make_unique<QProgressDialog>(parent);
    dialog->setWindowTitle(ServiceTable::tr("Applying"));
    // No cancel: stopping in the middle of a step would leave it half done.
    dialog->setCancelButton(nullptr);
    dialog->setRange(0, steps);
    dialog->setMinimumDuration(0);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    return dialog;
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

bool ServiceTable::run_plan(const ApplyPlan &plan, const QString &result, QWidget *result_parent)
{
    std::unique_ptr<QProgressDialog> dialog;
    ProgressReporter progress;
    if (plan.program_runs() >= runs_shown_in_progress) {
        dialog = progress_dialog(this, plan.steps.size());
        progress = [&dialog](int number, int steps, const PlanStep &step) {
            dialog->setLabelText(tr("Step %1 of %2: %3").arg(number).arg(steps).arg(step_text(step)));
            dialog->setValue(number - 1);
        };
    }
    const PlanOutcome outcome = execute_plan(plan, process_runner, progress);
    dialog.reset();
    if (outcome.error) {
        outcome.error->show(outcome_details(outcome));
        return false;
    }
    if (!result.isEmpty()) {
        QMessageBox box(QMessageBox::Information, tr("Result"), result, QMessageBox::Ok, result_parent);
        set_readable_details(box, outcome_details(outcome));
        box.exec();
    }
    return true;
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
    run_plan(changes_plan(), tr("Changes are applied"), this);
}

// A service is reset by deleting its override and letting insserv register it
// again from its script. selectedItems() leaves hidden rows out, so an
// override is only deleted where the user sees it, and always re-registered.
void ServiceTable::reset_services_defaults()
{
    run_plan(reset_plan(), tr("Reset is completed"), nullptr);
}
