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
const QChar start_kind = QLatin1Char('S');
const QChar kill_kind = QLatin1Char('K');
const QString start_field = QStringLiteral("Default-Start");
const QString stop_field = QStringLiteral("Default-Stop");

QStringList levels_of(const QString &field)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return field.split(blanks, Qt::SkipEmptyParts);
}

QStringList levels_where(const LinkStates &states, QChar kind, const QStringList &among)
{
    QStringList levels;
    for (const QString &level : among) {
        if (states.value(level) == kind)
            levels.append(level);
    }
    return levels;
}

// A field's levels as the override writer puts them: sorted, digits before S.
QString field_text(const LinkStates &states, QChar kind)
{
    QStringList levels = levels_where(states, kind, all_runlevels());
    levels.sort(Qt::CaseSensitive);
    // Empty, not null: a null value drops the field, and insserv wants it even when empty.
    return levels.isEmpty() ? QStringLiteral("") : levels.join(QLatin1Char(' '));
}

bool same_levels(const QString &field, const QString &text)
{
    QStringList a = levels_of(field), b = levels_of(text);
    a.sort();
    b.sort();
    return a == b;
}

PlanStep update_rc_d_step(const QString &service, const QString &action, const QStringList &levels)
{
    PlanStep step;
    step.service = service;
    step.program = update_rc_d_program();
    step.arguments = QStringList{service, action} + levels;
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

// The level fields of an override, set to the payload's values; fields the
// header lacks are added at its end.
QString set_level_fields(QVariant payload, QString name, QString value)
{
    const QVariantMap fields = payload.toMap();
    return fields.contains(name) ? fields.value(name).toString() : value;
}

HeaderPairs missing_level_fields(QVariant payload)
{
    const QVariantMap fields = payload.toMap();
    HeaderPairs pairs;
    for (const QString &name : fields.value(QStringLiteral("missing")).toStringList())
        pairs.append(qMakePair(name, fields.value(name).toString()));
    return pairs;
}

// What the user asked of one service.
struct ServiceEdit
{
    QMap<QString, QString> levels; // runlevel -> "S", "K" or ""
    QString state;                 // "S" enable, "K" disable, empty: unchanged
    bool relink = false;           // registered again whatever else changes: its dependencies changed
};

// How the plan brings one service to what the table shows: the levels its
// override gives (insserv registers it from them), whether it is removed and
// registered again, and which links update-rc.d then turns around.
struct Realization
{
    LinkStates intended;
    LinkStates levels;
    bool write_levels = false;
    enum { Keep, RemoveOnly, Relink } relink = Keep;
    QList<PlanStep> state_steps;
};

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

    LinkStates header_levels(const QString &service)
    {
        const ServiceInfo info = header(service);
        return header_states(info.field(start_field), info.field(stop_field));
    }

    ServiceInfo script(const QString &service)
    {
        return ServiceInfo::from_content(service, file_content(init_scripts_dir().filePath(service)));
    }

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

    // Rewrites only the level fields whose levels change, so that an override
    // differs from its header in nothing else.
    void write_levels(const QString &service, const LinkStates &levels)
    {
        const ServiceInfo source = header(service);
        QVariantMap fields;
        QStringList missing;
        for (const auto &[field_name, kind] :
             {std::make_pair(start_field, start_kind), std::make_pair(stop_field, kill_kind)}) {
            const QString name = field_name; // a lambda cannot capture a structured binding before C++20
            const QString wanted = field_text(levels, kind);
            if (same_levels(source.field(name), wanted))
                continue;
            fields.insert(name, wanted);
            if (std::none_of(source.lines.cbegin(), source.lines.cend(),
                             [&](const auto &line) { return line.first == name; }))
                missing.append(name);
        }
        if (fields.isEmpty())
            return;
        fields.insert(QStringLiteral("missing"), missing);
        write(service,
              override_content(override_lines(source.lines, fields, set_level_fields, nullptr, missing_level_fields)),
              QCoreApplication::translate("ServiceTable", "Error while creating override file"));
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

    // Every service to be registered again is tried with a dry run before any
    // link is removed; then the removals and the registrations run.
    void relink(const ChangeMap &removals, const ChangeMap &registrations)
    {
        for (const ChangeKey &key : run_order(registrations, facts))
            run(insserv_step(key.first.name, start_mark, false, true));
        for (const ChangeKey &key : run_order(removals, facts))
            run(insserv_step(key.first.name, kill_mark, true, false));
        for (const ChangeKey &key : run_order(registrations, facts))
            run(insserv_step(key.first.name, start_mark, false, false));
    }

    const SystemFacts &facts;
    ApplyPlan plan;

private:
    void touch(const QString &service)
    {
        if (!plan.origins.contains(service))
            plan.origins.insert(service, service_origin(service));
    }

    QHash<QString, QByteArray> written;
};

qint64 run_order_key(const ServiceFacts &known, const QString &value)
{
    if (!known.listed)
        return std::numeric_limits<qint64>::max();
    return value == start_mark ? qint64(known.sequence) : -qint64(known.sequence);
}

// A service without links stays without them unless enabled; then insserv
// registers it from its header, edited or not. An override that gives it no
// runlevel at all is how a service that update-rc.d cannot switch off stays
// off: enabling it gives back its script's levels.
Realization realize_unlinked(PlanBuilder &builder, const QString &service, const ServiceEdit &edit)
{
    Realization result;
    result.levels = builder.header_levels(service);
    for (auto level = edit.levels.cbegin(); level != edit.levels.cend(); ++level) {
        if (level.value().isEmpty())
            result.levels.remove(level.key());
        else
            result.levels.insert(level.key(), level.value().at(0));
    }
    result.write_levels = !edit.levels.isEmpty();
    if (edit.state != start_mark) {
        result.relink = edit.levels.isEmpty() ? Realization::Keep : Realization::RemoveOnly;
        return result;
    }
    if (result.levels.isEmpty()) {
        const ServiceInfo script = builder.script(service);
        result.levels = header_states(script.field(start_field), script.field(stop_field));
        result.write_levels = true;
    }
    result.intended = result.levels;
    result.state_steps.append(insserv_step(service, start_mark, false, false));
    return result;
}

// A linked service keeps the links the table shows: its marks, edited or not.
// Where its header starts it but a stop link stands (update-rc.d's disable),
// the header keeps the start level and update-rc.d turns the new link around
// again, so that a later "update-rc.d NAME enable" still finds it disabled the
// Debian way.
Realization realize_linked(PlanBuilder &builder, const QString &service, const ServiceEdit &edit)
{
    const ServiceFacts known = builder.facts.value(service);
    const LinkStates header = builder.header_levels(service);
    const QStringList &toggled = toggled_runlevels();
    LinkStates marks = known.link_kinds;
    QStringList debian_disabled;
    for (const QString &level : toggled) {
        if (marks.value(level) == kill_kind && header.value(level) == start_kind && !edit.levels.contains(level))
            debian_disabled.append(level);
    }
    for (auto level = edit.levels.cbegin(); level != edit.levels.cend(); ++level) {
        if (level.value().isEmpty())
            marks.remove(level.key());
        else
            marks.insert(level.key(), level.value().at(0));
    }
    Realization result;
    result.levels = marks;
    for (const QString &level : debian_disabled)
        result.levels.insert(level, start_kind);
    const bool enable = edit.state == start_mark;
    const bool disabled = edit.state == kill_mark || (known.disabled && !enable);
    bool relink = edit.relink || !edit.levels.isEmpty();
    if (enable && debian_disabled.isEmpty() && !relink) {
        result.levels = header;
        relink = true;
    }

    result.intended = result.levels;
    const QStringList started = levels_where(result.levels, start_kind, toggled);
    if (disabled && started.isEmpty() && edit.state == kill_mark) {
        // Nothing update-rc.d could turn around: no runlevel at all, for good.
        result.levels.clear();
        result.intended.clear();
        result.write_levels = true;
        result.state_steps.append(insserv_step(service, kill_mark, false, false));
        return result;
    }
    const QStringList turned = disabled ? started : enable ? QStringList() : debian_disabled;
    for (const QString &level : turned)
        result.intended.insert(level, kill_kind);
    if (relink) {
        result.write_levels = true;
        result.relink = result.levels.isEmpty() ? Realization::RemoveOnly : Realization::Relink;
        if (!turned.isEmpty())
            result.state_steps.append(update_rc_d_step(service, QStringLiteral("disable"), turned));
        return result;
    }
    QStringList to_disable, to_enable;
    for (const QString &level : toggled) {
        if (known.link_kinds.value(level) == start_kind && result.intended.value(level) == kill_kind)
            to_disable.append(level);
        if (known.link_kinds.value(level) == kill_kind && result.intended.value(level) == start_kind)
            to_enable.append(level);
    }
    if (!to_disable.isEmpty())
        result.state_steps.append(update_rc_d_step(service, QStringLiteral("disable"), to_disable));
    if (!to_enable.isEmpty())
        result.state_steps.append(update_rc_d_step(service, QStringLiteral("enable"), to_enable));
    return result;
}

Realization realize(PlanBuilder &builder, const QString &service, const ServiceEdit &edit)
{
    return builder.facts.value(service).linked ? realize_linked(builder, service, edit)
                                               : realize_unlinked(builder, service, edit);
}

// Overrides are all rewritten before insserv sees any of them. Every service
// that will be registered again is first tried with a dry run, before anything
// is removed; then the removals, the registrations, and last whatever turns
// links around or enables and disables services.
ApplyPlan build_plan(PlanBuilder &builder, const QMap<QString, ServiceEdit> &edits)
{
    QMap<QString, Realization> realizations;
    ChangeMap order, removals, registrations;
    for (auto edit = edits.cbegin(); edit != edits.cend(); ++edit) {
        const Realization realization = realize(builder, edit.key(), edit.value());
        realizations.insert(edit.key(), realization);
        const ChangeKey whole(Service(edit.key()), QString());
        order.insert(whole, edit.value().state == start_mark ? start_mark : kill_mark);
        if (realization.relink != Realization::Keep)
            removals.insert(whole, kill_mark);
        if (realization.relink == Realization::Relink)
            registrations.insert(whole, start_mark);
        builder.plan.intended.insert(edit.key(), realization.intended);
    }
    for (const ChangeKey &key : run_order(order, builder.facts)) {
        const Realization &realization = realizations[key.first.name];
        if (realization.write_levels)
            builder.write_levels(key.first.name, realization.levels);
    }
    builder.relink(removals, registrations);
    for (const ChangeKey &key : run_order(order, builder.facts)) {
        for (const PlanStep &step : realizations.value(key.first.name).state_steps)
            builder.run(step);
    }
    return builder.plan;
}

} // namespace

ServiceOrigin service_origin(const QString &service)
{
    ServiceOrigin origin;
    const QString override_path = overrides_dir().filePath(service);
    origin.had_override = QFileInfo::exists(override_path);
    origin.override_content = file_content(override_path);
    origin.header_path = origin.had_override ? override_path : init_scripts_dir().filePath(service);
    origin.header_lines = origin.had_override ? content_lines(origin.override_content)
                                              : script_header(origin.header_path);
    return origin;
}

QString PlanStep::command() const
{
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}

int ApplyPlan::program_runs() const
{
    return int(
        std::count_if(steps.cbegin(), steps.cend(), [](const PlanStep &step) { return step.kind == PlanStep::Run; }));
}

QStringList ApplyPlan::touched_services() const
{
    QStringList services;
    for (const PlanStep &step : steps) {
        if (!step.service.isEmpty() && !services.contains(step.service))
            services.append(step.service);
    }
    for (auto service = intended.cbegin(); service != intended.cend(); ++service) {
        if (!services.contains(service.key()))
            services.append(service.key());
    }
    return services;
}

const QStringList &toggled_runlevels()
{
    static const QStringList levels{QStringLiteral("S"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                                    QStringLiteral("5")};
    return levels;
}

LinkStates header_states(const QString &default_start, const QString &default_stop)
{
    LinkStates states;
    const QStringList runlevels = all_runlevels();
    for (const auto &[field, kind] :
         {std::make_pair(default_stop, kill_kind), std::make_pair(default_start, start_kind)}) {
        for (const QString &level : levels_of(field)) {
            const QString runlevel = level.toUpper();
            if (runlevels.contains(runlevel))
                states.insert(runlevel, kind);
        }
    }
    return states;
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

// Hidden rows take part: the filter is a view, not a selection.
ApplyPlan plan_changes(const ChangeMap &changes, const SystemFacts &facts)
{
    QMap<QString, ServiceEdit> edits;
    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        ServiceEdit &edit = edits[change.key().first.name];
        if (change.key().second.isEmpty())
            edit.state = change.value();
        else
            edit.levels.insert(change.key().second, change.value());
    }
    PlanBuilder builder(facts);
    ApplyPlan plan = build_plan(builder, edits);
    plan.operation = QStringLiteral("apply");
    return plan;
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
            builder.remove(service,
                           QCoreApplication::translate("ServiceTable", "Error while resetting service settings"));
        removals.insert(whole, kill_mark);
        registrations.insert(whole, start_mark);
        const ServiceInfo script = builder.script(service);
        builder.plan.intended.insert(service, header_states(script.field(start_field), script.field(stop_field)));
    }
    builder.relink(removals, registrations);
    builder.plan.operation = QStringLiteral("reset");
    return builder.plan;
}

// New dependencies are checked with a dry run before a linked service loses
// its links, which it gets back as they were; a service without links is only
// checked.
ApplyPlan plan_dependencies(const QString &service, const QVariant &dependencies, const SystemFacts &facts)
{
    PlanBuilder builder(facts);
    builder.plan.operation = QStringLiteral("dependency edit");
    const HeaderLines source = builder.header(service).lines;
    builder.write(service, override_content(override_lines(source, dependencies, remove_deps, nullptr, add_deps)),
                  QCoreApplication::translate("ServiceTable", "Error while overriding dependencies"));
    if (!facts.value(service).linked) {
        builder.run(insserv_step(service, start_mark, false, true));
        builder.plan.intended.insert(service, LinkStates());
        return builder.plan;
    }
    ServiceEdit edit;
    edit.relink = true;
    return build_plan(builder, {{service, edit}});
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
