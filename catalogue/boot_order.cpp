#include "catalogue/boot_order.h"

#include <QMap>
#include <QSet>

#include <utility>

namespace {

QStringList reached(const BootOrder &order, const QString &service, bool backwards)
{
    QStringList found;
    QSet<QString> seen{service};
    QList<QString> pending{service};
    while (!pending.isEmpty()) {
        const QString next = pending.takeFirst();
        for (int index : (backwards ? order.incoming : order.outgoing).value(next)) {
            const BootArrow &arrow = order.arrows.at(index);
            const QString &other = backwards ? arrow.from : arrow.to;
            if (seen.contains(other))
                continue;
            seen.insert(other);
            found.append(other);
            pending.append(other);
        }
    }
    return found;
}

} // namespace

QList<BootArrow> BootOrder::arrows_to(const QString &service) const
{
    QList<BootArrow> found;
    for (int index : incoming.value(service))
        found.append(arrows.at(index));
    return found;
}

QList<BootArrow> BootOrder::arrows_from(const QString &service) const
{
    QList<BootArrow> found;
    for (int index : outgoing.value(service))
        found.append(arrows.at(index));
    return found;
}

QStringList BootOrder::before(const QString &service) const
{
    return reached(*this, service, true);
}

QStringList BootOrder::after(const QString &service) const
{
    return reached(*this, service, false);
}

BootOrder boot_order(const BootConfiguration &configuration, const DependencyGraph &graph, const QString &runlevel)
{
    BootOrder order;
    order.runlevel = runlevel;
    order.shutdown = runlevel == QLatin1String("0") || runlevel == QLatin1String("6");
    const QChar kind = order.shutdown ? QLatin1Char('K') : QLatin1Char('S');
    // A service with two links of the kind in one runlevel runs at the first.
    QMap<int, QStringList> by_sequence;
    for (auto links = configuration.links.cbegin(); links != configuration.links.cend(); ++links) {
        for (const RunlevelLink &link : links.value()) {
            if (link.runlevel == runlevel && link.leads_to_file && link.kind() == kind) {
                by_sequence[link.sequence()].append(links.key());
                break;
            }
        }
    }
    for (auto step = by_sequence.cbegin(); step != by_sequence.cend(); ++step) {
        for (const QString &service : step.value())
            order.step_index.insert(service, order.steps.size());
        order.steps.append(BootStep{step.key(), step.value()});
    }

    const Phase phase = order.shutdown ? Phase::Stop : Phase::Start;
    QMap<QPair<QString, QString>, bool> strongest;
    for (const BootStep &step : std::as_const(order.steps)) {
        for (const QString &service : step.services) {
            for (const Requirement &requirement : graph.waits_for(service, phase)) {
                if (!order.step_index.contains(requirement.required))
                    continue;
                const QPair<QString, QString> key(requirement.required, service);
                strongest[key] = strongest.value(key) || requirement.strong();
            }
        }
    }
    for (auto arrow = strongest.cbegin(); arrow != strongest.cend(); ++arrow) {
        order.outgoing[arrow.key().first].append(order.arrows.size());
        order.incoming[arrow.key().second].append(order.arrows.size());
        order.arrows.append(BootArrow{arrow.key().first, arrow.key().second, arrow.value()});
    }
    return order;
}

// Services are taken step by step, so every arrow that keeps its direction
// has its start measured before its end; an arrow that does not (a link
// insserv would renumber) is left out rather than followed round a loop.
QStringList longest_chain(const BootOrder &order, const QString &service)
{
    QHash<QString, QString> previous;
    QHash<QString, int> length;
    for (const BootStep &step : order.steps) {
        for (const QString &name : step.services) {
            int best = 0;
            for (const BootArrow &arrow : order.arrows_to(name)) {
                if (order.step_of(arrow.from) >= order.step_of(name))
                    continue;
                const int through = length.value(arrow.from) + 1;
                if (through > best) {
                    best = through;
                    previous.insert(name, arrow.from);
                }
            }
            length.insert(name, best);
        }
    }
    if (!order.step_index.contains(service))
        return {};
    QStringList chain{service};
    for (QString at = service; previous.contains(at); at = previous.value(at))
        chain.prepend(previous.value(at));
    return chain;
}
