#include "apply/apply_plan.h"

#include "apply/override_writer.h"
#include "catalogue/system_paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

const QString start_mark = QStringLiteral("S");
const QString kill_mark = QStringLiteral("K");

QStringList levels_of(const QString &field)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return field.split(blanks, Qt::SkipEmptyParts);
}

// update-rc.d turns start links into stop links, and back, in these runlevels only.
bool has_toggled_level(const QStringList &start_levels)
{
    static const QStringList toggled{QStringLiteral("S"), QStringLiteral("2"), QStringLiteral("3"),
                                     QStringLiteral("4"), QStringLiteral("5")};
    return std::any_of(start_levels.cbegin(), start_levels.cend(),
                       [](const QString &level) { return toggled.contains(level); });
}

PlanStep update_rc_d_step(const QString &service, const QString &action)
{
    PlanStep step;
    step.service = service;
    step.program = update_rc_d_program();
    step.arguments = QStringList{service, action};
    return step;
}

QByteArray file_content(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// The init-info block of a script as it stands in the file, marker lines included.
QStringList script_header(const QString &path)
{
    static const QRegularExpression start(QStringLiteral("^###\\s+BEGIN INIT INFO\\s*$"));
    static const QRegularExpression end(QStringLiteral("^###\\s+END INIT INFO\\s*$"));
    QStringList block;
    for (const QString &line : QString::fromUtf8(file_content(path)).split(QLatin1Char('\n'))) {
        if (block.isEmpty() && !start.match(line).hasMatch())
            continue;
        block.append(line);
        if (end.match(line).hasMatch())
            break;
    }
    return block;
}

// Builds a plan step by step, keeping the content each override has at that
// point, so that several writes of one service build on each other.
class PlanBuilder
{
public:
    explicit PlanBuilder(const SystemFacts &facts)
        : facts(facts)
    {
    }

    ServiceInfo header(const QString &service)
    {
        return written.contains(service) ? ServiceInfo::from_content(service, written.value(service))
                                         : ServiceInfo(service);
    }

    QStringList start_levels(const QString &service) { return levels_of(header(service).field("Default-Start")); }

    void write(const QString &service, const QByteArray &content, const QString &failure)
    {
        touch(service);
        written.insert(service, content);
        PlanStep step;
        step.kind = PlanStep::WriteOverride;
        step.service = service;
        step.content = content;
        step.failure = failure;
        plan.steps.append(step);
    }

    void remove(const QString &service, const QString &failure)
    {
        touch(service);
        PlanStep step;
        step.kind = PlanStep::DeleteOverride;
        step.service = service;
        step.failure = failure;
        plan.steps.append(step);
    }

    void run(const PlanStep &step)
    {
        touch(step.service);
        plan.steps.append(step);
    }

    // A service shown disabled that insserv registers again comes back started:
    // it must be disabled again afterwards, where update-rc.d can.
    bool comes_back_started(const QString &service)
    {
        return facts.value(service).disabled && has_toggled_level(start_levels(service));
    }

    // Every service to be registered again is tried with a dry run before any
    // link is removed; then the removals and the registrations run.
    void relink(const ChangeMap &removals, const ChangeMap &registrations)
    {
        for (const ChangeKey &key : run_order(registrations, facts))
            run(insserv_step(key.first.name, QStringLiteral("S"), false, true));
        for (const ChangeKey &key : run_order(removals, facts))
            run(insserv_step(key.first.name, QStringLiteral("K"), true, false));
        for (const ChangeKey &key : run_order(registrations, facts))
            run(insserv_step(key.first.name, QStringLiteral("S"), false, false));
    }

    const SystemFacts &facts;
    ApplyPlan plan;

private:
    void touch(const QString &service)
    {
        if (plan.origins.contains(service))
            return;
        ServiceOrigin origin;
        const QString override_path = overrides_dir().filePath(service);
        origin.had_override = QFileInfo::exists(override_path);
        origin.override_content = file_content(override_path);
        origin.header_path = origin.had_override ? override_path : init_scripts_dir().filePath(service);
        origin.header_lines = origin.had_override ? content_lines(origin.override_content)
                                                  : script_header(origin.header_path);
        const ServiceFacts known = facts.value(service);
        origin.linked = known.linked;
        if (known.disabled && has_toggled_level(levels_of(ServiceInfo(service).field("Default-Start"))))
            origin.disabling.append(update_rc_d_step(service, QStringLiteral("disable")));
        plan.origins.insert(service, origin);
    }

    QHash<QString, QByteArray> written;
};

qint64 run_order_key(const ServiceFacts &known, const QString &value)
{
    if (!known.listed)
        return std::numeric_limits<qint64>::max();
    return value == start_mark ? qint64(known.sequence) : -qint64(known.sequence);
}

// Enabling a service that is linked without start links: update-rc.d turns
// its stop links back into start links where its header starts it; without
// such links it is registered afresh.
void plan_enable(PlanBuilder &builder, const QString &service, bool registered_again)
{
    const ServiceFacts known = builder.facts.value(service);
    if (registered_again || !known.linked) {
        builder.run(insserv_step(service, start_mark, false, false));
        return;
    }
    const QStringList start_levels = builder.start_levels(service);
    const bool stopped_where_started =
        std::any_of(start_levels.cbegin(), start_levels.cend(),
                    [&known](const QString &level) { return known.link_kinds.value(level) == QLatin1Char('K'); });
    if (stopped_where_started && has_toggled_level(start_levels)) {
        builder.run(update_rc_d_step(service, QStringLiteral("enable")));
        return;
    }
    builder.run(insserv_step(service, kill_mark, true, false));
    builder.run(insserv_step(service, start_mark, false, false));
}

// Disabling keeps stop links where the service started, as update-rc.d does,
// so that a later "insserv NAME" or a package upgrade leaves it disabled. A
// script that starts nowhere update-rc.d can toggle is removed instead.
void plan_disable(PlanBuilder &builder, const QString &service)
{
    if (has_toggled_level(builder.start_levels(service)))
        builder.run(update_rc_d_step(service, QStringLiteral("disable")));
    else
        builder.run(insserv_step(service, kill_mark, false, false));
}

} // namespace

QString PlanStep::command() const
{
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}

int ApplyPlan::program_runs() const
{
    return int(std::count_if(steps.cbegin(), steps.cend(), [](const PlanStep &step) { return step.kind == PlanStep::Run; }));
}

PlanStep insserv_step(const QString &service, const QString &value, bool force, bool dryrun)
{
    PlanStep step;
    step.service = service;
    step.program = insserv_program();
    if (value != start_mark)
        step.arguments.append(QStringLiteral("--remove"));
    if (force)
        step.arguments.append(QStringLiteral("--force"));
    if (dryrun)
        step.arguments.append(QStringLiteral("--dryrun"));
    step.arguments.append(service);
    return step;
}

QList<ChangeKey> run_order(const ChangeMap &work, const SystemFacts &facts)
{
    QList<QPair<qint64, ChangeKey>> keyed;
    for (auto change = work.cbegin(); change != work.cend(); ++change)
        keyed.prepend(qMakePair(run_order_key(facts.value(change.key().first.name), change.value()), change.key()));
    // Prepended, then sorted stably: equal keys run in the reverse of the map order.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<ChangeKey> order;
    for (const auto &entry : keyed)
        order.append(entry.second);
    return order;
}

// Overrides are all rewritten before insserv sees any of them. Every service
// that will be registered again is first tried with a dry run, before anything
// is removed. A service whose runlevels changed is then unregistered and, if it
// had links, registered again from its new override. Enabling and disabling
// come last. Hidden rows take part: the filter is a view, not a selection.
ApplyPlan plan_changes(const ChangeMap &changes, const SystemFacts &facts)
{
    ChangeMap levels, removals, registrations, states;
    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        if (change.key().second.isEmpty()) {
            states.insert(change.key(), change.value());
            continue;
        }
        const ChangeKey whole(change.key().first, QString());
        levels.insert(change.key(), change.value());
        removals.insert(whole, kill_mark);
        if (facts.value(whole.first.name).linked)
            registrations.insert(whole, start_mark);
    }

    PlanBuilder builder(facts);
    for (const ChangeKey &key : run_order(levels, facts)) {
        const QString &service = key.first.name;
        const HeaderLines source = builder.header(service).lines;
        const QVariantMap payload = level_payload(source, key.second, levels.value(key));
        builder.write(service,
                      override_content(override_lines(source, payload, override_level, nullptr, missing_level_field)),
                      QCoreApplication::translate("ServiceTable", "Error while creating override file"));
    }
    builder.relink(removals, registrations);
    for (auto whole = registrations.cbegin(); whole != registrations.cend(); ++whole) {
        if (!states.contains(whole.key()) && builder.comes_back_started(whole.key().first.name))
            states.insert(whole.key(), kill_mark);
    }
    for (const ChangeKey &key : run_order(states, facts)) {
        if (states.value(key) == start_mark)
            plan_enable(builder, key.first.name, registrations.contains(key));
        else
            plan_disable(builder, key.first.name);
    }
    return builder.plan;
}

// A reset deletes each override and registers the service again from its
// script; like an apply, it is tried with dry runs before anything is removed.
ApplyPlan plan_reset(const QStringList &services, const SystemFacts &facts)
{
    ChangeMap removals, registrations;
    PlanBuilder builder(facts);
    for (const QString &service : services) {
        const ChangeKey whole{Service(service), QString()};
        if (removals.contains(whole))
            continue;
        if (QFileInfo::exists(overrides_dir().filePath(service)))
            builder.remove(service, QCoreApplication::translate("ServiceTable", "Error while resetting service settings"));
        removals.insert(whole, kill_mark);
        registrations.insert(whole, start_mark);
    }
    builder.relink(removals, registrations);
    return builder.plan;
}

// New dependencies are checked with a dry run before a linked service loses
// its links; a service without links is only checked.
ApplyPlan plan_dependencies(const QString &service, const QVariant &dependencies, const SystemFacts &facts)
{
    PlanBuilder builder(facts);
    const HeaderLines source = builder.header(service).lines;
    builder.write(service, override_content(override_lines(source, dependencies, remove_deps, nullptr, add_deps)),
                  QCoreApplication::translate("ServiceTable", "Error while overriding dependencies"));
    builder.run(insserv_step(service, start_mark, false, true));
    if (facts.value(service).linked) {
        builder.run(insserv_step(service, kill_mark, true, false));
        builder.run(insserv_step(service, start_mark, false, false));
        if (builder.comes_back_started(service))
            plan_disable(builder, service);
    }
    return builder.plan;
}

QStringList disabled_backbone(const ChangeMap &changes, const QSet<Service> &start_services,
                              const QSet<Service> &kill_services)
{
    const auto runs_in = [](const QSet<Service> &side, const Service &service, const QStringList &levels) {
        const auto found = side.find(service);
        return found != side.end()
            && std::any_of(levels.cbegin(), levels.cend(),
                           [&found](const QString &level) { return found->runlevels.contains(level); });
    };
    const QStringList boot{QStringLiteral("S")}, normal{"1", "2", "3", "4", "5"}, shutdown{"0", "6"};
    QStringList names;
    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        const Service &service = change.key().first;
        if (!change.key().second.isEmpty() || change.value() != kill_mark)
            continue;
        const bool at_shutdown_only = !runs_in(start_services, service, normal)
            && (runs_in(start_services, service, shutdown) || runs_in(kill_services, service, shutdown));
        if (runs_in(start_services, service, boot) || at_shutdown_only)
            names.append(service.name);
    }
    return names;
}
