#pragma once

#include "catalogue/boot_configuration.h"
#include "catalogue/dependency_graph.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The services a runlevel starts (or, in 0 and 6, stops) at one sequence
// number: they run together.
struct BootStep
{
    int sequence = 0;
    QStringList services; // in name order
};

// from runs before to, because to waits for it.
struct BootArrow
{
    QString from;
    QString to;
    bool strong = true; // Required-Start and the like; otherwise it only orders (Should-Start, X-Start-Before, "+")

    bool operator==(const BootArrow &other) const
    {
        return from == other.from && to == other.to && strong == other.strong;
    }
};

// One runlevel as its links run it: the boot of S and 1 to 5 from its start
// links, the shutdown of 0 and 6 from its stop links, and an arrow for every
// requirement between two of its services, facilities and aliases resolved.
struct BootOrder
{
    QString runlevel;
    bool shutdown = false;
    QList<BootStep> steps; // by sequence number
    QList<BootArrow> arrows;

    int step_of(const QString &service) const { return step_index.value(service, -1); }
    QList<BootArrow> arrows_to(const QString &service) const;
    QList<BootArrow> arrows_from(const QString &service) const;
    // Everything before service along the arrows (what it waits for, directly
    // or not), and everything after it.
    QStringList before(const QString &service) const;
    QStringList after(const QString &service) const;

    QHash<QString, int> step_index;
    QHash<QString, QList<int>> incoming, outgoing; // indexes into arrows
};

BootOrder boot_order(const BootConfiguration &configuration, const DependencyGraph &graph, const QString &runlevel);

// The longest chain of arrows that ends at service, its first service first
// and service last: why it comes where it does.
QStringList longest_chain(const BootOrder &order, const QString &service);
