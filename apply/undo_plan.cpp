#include "apply/undo_plan.h"

#include <QCoreApplication>

namespace {

const QString scripts_relative = QStringLiteral("../init.d/");
const QString scripts_absolute = QStringLiteral("/etc/init.d/");

QStringList link_texts(const QList<RunlevelLink> &links)
{
    QStringList texts;
    for (const RunlevelLink &link : links)
        texts.append(link.text());
    texts.sort();
    return texts;
}

bool same_links(const QList<RunlevelLink> &a, const QList<RunlevelLink> &b)
{
    return link_texts(a) == link_texts(b);
}

bool same_override(const BootConfiguration &a, const BootConfiguration &b, const QString &service)
{
    return a.overrides.contains(service) == b.overrides.contains(service)
        && a.overrides.value(service) == b.overrides.value(service);
}

// Whether each link leads to a script, as the configuration read now knows them.
QList<RunlevelLink> with_scripts(QList<RunlevelLink> links, const BootConfiguration &now)
{
    for (RunlevelLink &link : links) {
        for (const QString &prefix : {scripts_relative, scripts_absolute}) {
            if (link.target.startsWith(prefix))
                link.leads_to_file = now.scripts.value(link.target.mid(prefix.size()));
        }
    }
    return links;
}

LinkStates states(const QList<RunlevelLink> &links)
{
    BootConfiguration configuration;
    configuration.links.insert(QString(), links);
    return configuration.states_of(QString());
}

PlanStep override_step(const HistoryEntry &entry, const QString &service)
{
    PlanStep step;
    step.service = service;
    step.kind = entry.before.overrides.contains(service) ? PlanStep::WriteOverride : PlanStep::DeleteOverride;
    step.content = entry.before.overrides.value(service);
    step.failure = step.kind == PlanStep::WriteOverride
        ? QCoreApplication::translate("ServiceTable", "Error while creating override file")
        : QCoreApplication::translate("ServiceTable", "Error while resetting service settings");
    return step;
}

// The files as they are now, those the entry changed as they were before it;
// none when something else changed them since.
std::optional<PlanStep> dependency_files_step(const HistoryEntry &entry, const BootConfiguration &now)
{
    QStringList names = entry.before.generated.keys() + entry.after.generated.keys();
    if (names.isEmpty())
        return std::nullopt;
    PlanStep step;
    step.kind = PlanStep::RestoreFiles;
    step.files = now.generated;
    for (const QString &name : names) {
        if (now.generated.contains(name) != entry.after.generated.contains(name)
            || now.generated.value(name) != entry.after.generated.value(name))
            return std::nullopt;
        if (entry.before.generated.contains(name))
            step.files.insert(name, entry.before.generated.value(name));
        else
            step.files.remove(name);
    }
    return step;
}

} // namespace

UndoPlan plan_undo(const HistoryEntry &entry, const BootConfiguration &now)
{
    UndoPlan undo;
    undo.plan.operation = QStringLiteral("undo");
    undo.plan.undoes = entry.id;
    for (const QString &service : entry.services) {
        if (!same_links(now.links.value(service), entry.after.links.value(service))
            || !same_override(now, entry.after, service))
            undo.changed_since.append(service);
    }
    if (!undo.changed_since.isEmpty())
        return undo;
    for (const QString &service : entry.services) {
        const QList<RunlevelLink> links = with_scripts(entry.before.links.value(service), now);
        undo.plan.origins.insert(service, service_origin(service));
        undo.plan.intended.insert(service, states(links));
        if (!same_override(now, entry.before, service))
            undo.plan.steps.append(override_step(entry, service));
        if (!same_links(now.links.value(service), links)) {
            PlanStep step;
            step.kind = PlanStep::RestoreLinks;
            step.service = service;
            step.links = links;
            undo.plan.steps.append(step);
        }
    }
    if (const std::optional<PlanStep> files = dependency_files_step(entry, now))
        undo.plan.steps.append(*files);
    return undo;
}
