#include "catalogue/dependency_graph.h"

#include <QCoreApplication>
#include <QMap>
#include <QQueue>
#include <QSet>

#include <algorithm>

namespace {

int index_of(Phase phase)
{
    return phase == Phase::Start ? 0 : 1;
}

// The phase a field orders, and whether the service it names is the one that
// waits: "X-Start-Before: b" in a's header makes b wait for a; at shutdown
// "Required-Stop: b" keeps b running until a has stopped.
struct FieldMeaning
{
    Phase phase;
    bool reversed;
};

bool meaning_of(const QString &field, FieldMeaning &meaning)
{
    static const QHash<QString, FieldMeaning> meanings{
        {QStringLiteral("Required-Start"), {Phase::Start, false}},
        {QStringLiteral("Should-Start"), {Phase::Start, false}},
        {QStringLiteral("X-Start-Before"), {Phase::Start, true}},
        {QStringLiteral("Required-Stop"), {Phase::Stop, true}},
        {QStringLiteral("Should-Stop"), {Phase::Stop, true}},
        {QStringLiteral("X-Stop-After"), {Phase::Stop, false}},
    };
    const auto found = meanings.constFind(field);
    if (found == meanings.cend())
        return false;
    meaning = *found;
    return true;
}

} // namespace

bool Requirement::operator==(const Requirement &other) const
{
    return waiting == other.waiting && required == other.required && owner == other.owner && name == other.name
        && field == other.field && file == other.file && facility_file == other.facility_file
        && optional == other.optional;
}

DependencyGraph::DependencyGraph(const QList<GraphService> &services, const QList<FacilityDefinition> &facilities)
{
    for (const GraphService &service : services) {
        headers.insert(service.name, service);
        for (const QString &name : service.provides) {
            if (!name.isEmpty() && !provided.value(name).contains(service.name))
                provided[name].append(service.name);
        }
    }
    for (const FacilityDefinition &facility : facilities)
        definitions[facility.name].append(facility);
    for (const GraphService &service : services)
        add_requirements(service);
}

void DependencyGraph::add_requirements(const GraphService &service)
{
    for (const auto &field : service.dependencies) {
        FieldMeaning meaning{};
        if (!meaning_of(field.first, meaning))
            continue;
        for (const LSBDependency &dependency : field.second) {
            if (dependency.name.isEmpty())
                continue;
            QString facility_file;
            for (const QString &script : resolved(dependency.name, &facility_file)) {
                Requirement requirement{service.name,    script,      service.name, dependency.name,
                                        field.first, service.file, facility_file, dependency.optional};
                add(requirement, meaning.phase, meaning.reversed);
            }
        }
    }
}

void DependencyGraph::add(Requirement requirement, Phase phase, bool reversed)
{
    if (reversed)
        std::swap(requirement.waiting, requirement.required);
    // A service that provides what it asks for waits for nothing.
    if (requirement.waiting == requirement.required)
        return;
    const int at = index_of(phase);
    by_waiting[at][requirement.waiting].append(edges[at].size());
    by_required[at][requirement.required].append(edges[at].size());
    edges[at].append(requirement);
}

QStringList DependencyGraph::providers(const QString &name) const
{
    return resolved(name, nullptr);
}

// Facilities are expanded depth first, in definition order, each once: definitions that lead
// back to themselves end there. A facility's optional members ("+rsyslog")
// may be missing from the machine; where they are there, they are required.
QStringList DependencyGraph::resolved(const QString &name, QString *facility_file) const
{
    if (!name.startsWith(QLatin1Char('$'))) {
        const QStringList names = provided.value(name);
        return names.isEmpty() && headers.contains(name) ? QStringList{name} : names;
    }
    QStringList scripts;
    QSet<QString> expanded{name};
    QList<Service> pending;
    for (const FacilityDefinition &definition : definitions.value(name)) {
        if (facility_file && facility_file->isEmpty())
            *facility_file = definition.file;
        pending += definition.members;
    }
    while (!pending.isEmpty()) {
        const Service member = pending.takeFirst();
        if (!member.is_virtual()) {
            for (const QString &script : resolved(member.name, nullptr)) {
                if (!scripts.contains(script))
                    scripts.append(script);
            }
        } else if (!expanded.contains(member.name)) {
            expanded.insert(member.name);
            QList<Service> members;
            for (const FacilityDefinition &definition : definitions.value(member.name))
                members += definition.members;
            pending = members + pending;
        }
    }
    return scripts;
}

QStringList DependencyGraph::places_naming(const QString &owner, const QString &name) const
{
    QStringList places;
    const GraphService header = headers.value(owner);
    for (const auto &field : header.dependencies) {
        const bool names = std::any_of(field.second.cbegin(), field.second.cend(),
                                       [&name](const LSBDependency &dependency) { return dependency.name == name; });
        const QString place = QCoreApplication::translate("DependencyGraph", "%1 in %2").arg(field.first, header.file);
        if (names && !places.contains(place))
            places.append(place);
    }
    return places;
}

QList<Requirement> DependencyGraph::waits_for(const QString &service, Phase phase) const
{
    QList<Requirement> found;
    const int at = index_of(phase);
    for (int index : by_waiting[at].value(service))
        found.append(edges[at].at(index));
    return found;
}

QList<Requirement> DependencyGraph::waited_by(const QString &service, Phase phase) const
{
    QList<Requirement> found;
    const int at = index_of(phase);
    for (int index : by_required[at].value(service))
        found.append(edges[at].at(index));
    return found;
}

// Breadth first, so the chain shown is one of the shortest.
QList<Requirement> DependencyGraph::path(const QString &from, const QString &to, Phase phase) const
{
    QHash<QString, int> reached_by; // service -> the edge that reached it
    QQueue<QString> queue;
    queue.enqueue(from);
    const int at = index_of(phase);
    while (!queue.isEmpty()) {
        const QString service = queue.dequeue();
        for (int index : by_waiting[at].value(service)) {
            const QString next = edges[at].at(index).required;
            if (next == from || reached_by.contains(next))
                continue;
            reached_by.insert(next, index);
            if (next == to) {
                QList<Requirement> chain;
                for (QString step = to; step != from; step = edges[at].at(reached_by.value(step)).waiting)
                    chain.prepend(edges[at].at(reached_by.value(step)));
                return chain;
            }
            queue.enqueue(next);
        }
    }
    return {};
}

QList<Requirement> DependencyGraph::loop(const QString &first, const QString &second, Phase phase) const
{
    if (!second.isEmpty() && second != first) {
        const QList<Requirement> there = path(first, second, phase), back = path(second, first, phase);
        if (!there.isEmpty() && !back.isEmpty())
            return there + back;
    }
    // The shortest way back to first from anything it waits for.
    QList<Requirement> shortest;
    for (const Requirement &requirement : waits_for(first, phase)) {
        const QList<Requirement> back = path(requirement.required, first, phase);
        if (!back.isEmpty() && (shortest.isEmpty() || back.size() + 1 < shortest.size()))
            shortest = QList<Requirement>{requirement} + back;
    }
    return shortest;
}

QList<Requirement> required_by(const DependencyGraph &graph, const QString &service)
{
    QMap<QString, Requirement> strongest;
    for (const Requirement &requirement : graph.waited_by(service, Phase::Start)) {
        if (requirement.field != QLatin1String("Required-Start") && requirement.field != QLatin1String("Should-Start"))
            continue;
        const auto known = strongest.constFind(requirement.waiting);
        if (known == strongest.cend() || (requirement.strong() && !known->strong()))
            strongest.insert(requirement.waiting, requirement);
    }
    return strongest.values();
}
