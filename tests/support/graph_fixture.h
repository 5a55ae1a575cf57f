#pragma once

#include "catalogue/dependency_graph.h"

#include <QStringList>

// A dependency graph written on one line, entries separated by " | ":
// "$syslog=+rsyslog" defines a facility in /etc/insserv.conf; any other entry
// is a service, "name[@file]; Field=names; ...", its file /etc/init.d/NAME
// unless given, "Provides=" its aliases (its own name by default).
inline DependencyGraph graph_of(const QString &text)
{
    QList<GraphService> services;
    QList<FacilityDefinition> facilities;
    for (const QString &entry : text.split(QStringLiteral(" | "), Qt::SkipEmptyParts)) {
        if (entry.startsWith('$')) {
            QList<Service> members;
            for (const QString &member : entry.section('=', 1).split(' ', Qt::SkipEmptyParts))
                members.append(Service(member));
            facilities.append({entry.section('=', 0, 0), members, QStringLiteral("/etc/insserv.conf")});
            continue;
        }
        const QStringList parts = entry.split(QStringLiteral("; "));
        GraphService service;
        service.name = parts.first().section('@', 0, 0);
        service.file = parts.first().contains('@') ? parts.first().section('@', 1) : "/etc/init.d/" + service.name;
        service.provides = QStringList{service.name};
        for (const QString &field : parts.mid(1)) {
            const QString name = field.section('=', 0, 0);
            const QStringList values = field.section('=', 1).split(' ', Qt::SkipEmptyParts);
            if (name == QLatin1String("Provides")) {
                service.provides = values;
                continue;
            }
            QList<LSBDependency> dependencies;
            for (const QString &value : values)
                dependencies.append(LSBDependency(name, Service(value)));
            service.dependencies.append({name, dependencies});
        }
        services.append(service);
    }
    return DependencyGraph(services, facilities);
}
