#include "table/service_table.h"

#include "apply/insserv_error.h"
#include "apply/override_writer.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QMessageBox>
#include <QProcess>

#include <algorithm>
#include <limits>

namespace {

// A service missing from the insserv listing has no sequence number. Its changes
// run last in their group, whatever they do: by then every listed service it may
// depend on has been registered.
const qint64 unlisted_key = std::numeric_limits<qint64>::max();

// Stops run from the highest sequence down, so a service goes before what it
// depends on; starts run from the lowest up, so dependencies come first.
qint64 run_order_key(const Service &listed, const QString &value)
{
    if (listed.type == Service::Unset)
        return unlisted_key;
    return value == ServiceTable::start_mark ? qint64(listed.sequence) : -qint64(listed.sequence);
}

} // namespace

// A runlevel change only rewrites the override; a change of the whole service
// is one insserv run.
void ServiceTable::run_insserv(const Service &service, const QString &level, const QString &value, bool force,
                               bool dryrun)
{
    if (!level.isEmpty()) {
        const QVariantMap payload{{QStringLiteral("level"), level}, {QStringLiteral("value"), value}};
        if (!write_override(service, payload, override_level, nullptr, nullptr))
            throw InsservError(tr("Error while creating override file"));
        return;
    }

    QStringList arguments;
    if (value != start_mark)
        arguments.append(QStringLiteral("--remove"));
    if (force)
        arguments.append(QStringLiteral("--force"));
    if (dryrun)
        arguments.append(QStringLiteral("--dryrun"));
    arguments.append(service.name);

    QProcess insserv;
    insserv.start(insserv_program(), arguments, QIODevice::ReadOnly);
    if (!insserv.waitForStarted(process_timeout()) || !insserv.waitForFinished(process_timeout()))
        throw InsservError(QStringLiteral("insserv error"), service);
    const QString errors = utf8_up_to_nul(insserv.readAllStandardError());
    if (insserv.exitStatus() != QProcess::NormalExit || insserv.exitCode() != 0)
        throw InsservError(errors, service);
}

// Changes of services whose rows are hidden are not run: the user cannot see
// what would be changed.
void ServiceTable::run_changes(const ChangeMap &work, bool force, bool dryrun)
{
    const QList<Service> listed = services(false);
    QList<QPair<qint64, ChangeMap::const_iterator>> steps;
    for (auto change = work.cbegin(); change != work.cend(); ++change) {
        const auto found = std::find(listed.cbegin(), listed.cend(), change.key().first);
        if (found != listed.cend())
            steps.prepend(qMakePair(run_order_key(*found, change.value()), change));
    }
    // Prepended, then sorted stably: equal keys run in the reverse of the map order.
    std::stable_sort(steps.begin(), steps.end(),
                     [](const auto &first, const auto &second) { return first.first < second.first; });
    for (const auto &step : steps)
        run_insserv(step.second.key().first, step.second.key().second, step.second.value(), force, dryrun);
}

// Overrides are all rewritten before insserv sees any of them; a service whose
// runlevels changed is then unregistered and, if it had links, registered again
// from its new override. Enabling and disabling come last.
void ServiceTable::apply_changes()
{
    ChangeMap levels;
    ChangeMap removals;
    ChangeMap registrations;
    ChangeMap states;
    const ChangeMap pending = changes;
    for (auto change = pending.cbegin(); change != pending.cend(); ++change) {
        if (change.key().second.isEmpty()) {
            states.insert(change.key(), change.value());
            continue;
        }
        const QPair<Service, QString> whole(change.key().first, QString());
        levels.insert(change.key(), change.value());
        removals.insert(whole, kill_mark);
        if (linked_services.contains(whole.first))
            registrations.insert(whole, start_mark);
    }

    try {
        run_changes(levels, false, false);
        run_changes(removals, true, false);
        run_changes(registrations, false, false);
        run_changes(states, false, false);
        QMessageBox::information(this, tr("Result"), tr("Changes are applied"), QMessageBox::Ok,
                                 QMessageBox::NoButton);
    } catch (const InsservError &error) {
        error.show();
    }
}

// A service is reset by deleting its override and letting insserv register it
// again from its script. selectedItems() leaves hidden rows out, so a service
// whose row is hidden keeps its override, just as run_changes skips its runs.
void ServiceTable::reset_services_defaults()
{
    try {
        ChangeMap removals;
        ChangeMap registrations;
        for (const QTableWidgetItem *cell : selectedItems()) {
            const Service service(cell->data(ServiceNameRole).toString());
            if (override_exists(service) && !remove_override(service))
                throw InsservError(tr("Error while resetting service settings"));
            removals.insert(qMakePair(service, QString()), kill_mark);
            registrations.insert(qMakePair(service, QString()), start_mark);
        }
        run_changes(removals, true, false);
        run_changes(registrations, false, false);
        QMessageBox::information(nullptr, tr("Result"), tr("Reset is completed"), QMessageBox::Ok,
                                 QMessageBox::NoButton);
    } catch (const InsservError &error) {
        error.show();
    }
}
