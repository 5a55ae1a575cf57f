#pragma once

#include "catalogue/lsb_dependency.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Boot or shutdown: the fields of a header that order each.
enum class Phase { Start, Stop };

// The header of one service, as the graph needs it.
struct GraphService
{
    QString name;
    QString file; // the header insserv reads: the override, else the script
    QStringList provides;
    QList<QPair<QString, QList<LSBDependency>>> dependencies; // field by field, as in the header
};

// One virtual facility of the insserv configuration ("$syslog +rsyslog").
struct FacilityDefinition
{
    QString name;
    QList<Service> members; // optional ones marked
    QString file;
};

// One name of a dependency field, resolved to a script that provides it: in
// the phase, required runs (or stops) before waiting does.
struct Requirement
{
    QString waiting;
    QString required;
    QString owner;         // whose header names it: waiting, but for X-Start-Before and X-Stop-After
    QString name;          // as the header writes it, without "+": "cron", "$syslog", "httpd"
    QString field;         // "Required-Start" and the rest
    QString file;          // the owner's header
    QString facility_file; // where the facility is defined, when name is one
    bool optional = false; // "+" in the header

    // Required and not optional: the others only order what is there anyway.
    bool strong() const { return field.startsWith(QLatin1String("Required-")) && !optional; }
    bool operator==(const Requirement &other) const;
};

// Who waits for whom, from the headers and the insserv configuration: names
// resolved through aliases in Provides and through facilities (nested ones
// too), each requirement with the field and the file it comes from. A name
// nothing provides, "$all" among them, orders nothing.
class DependencyGraph
{
public:
    DependencyGraph() = default;
    DependencyGraph(const QList<GraphService> &services, const QList<FacilityDefinition> &facilities);

    // What service waits for, and what waits for it, in header order.
    QList<Requirement> waits_for(const QString &service, Phase phase) const;
    QList<Requirement> waited_by(const QString &service, Phase phase) const;
    // The scripts a name stands for: those that provide it, the script of that
    // name where none does, the members of a facility.
    QStringList providers(const QString &name) const;
    bool contains(const QString &service) const { return headers.contains(service); }
    QString file_of(const QString &service) const { return headers.value(service).file; }
    // "Required-Start in FILE" for each field of owner's header that names name.
    QStringList places_naming(const QString &owner, const QString &name) const;

    // A shortest chain of requirements from first through second back to first
    // (through first alone when second is empty or the same); empty when the
    // headers hold no such loop.
    QList<Requirement> loop(const QString &first, const QString &second, Phase phase) const;

private:
    void add_requirements(const GraphService &service);
    void add(Requirement requirement, Phase phase, bool reversed);
    QStringList resolved(const QString &name, QString *facility_file) const;
    QList<Requirement> path(const QString &from, const QString &to, Phase phase) const;

    QHash<QString, GraphService> headers;
    QHash<QString, QStringList> provided;                    // by provided name
    QHash<QString, QList<FacilityDefinition>> definitions;   // by facility
    QList<Requirement> edges[2];                              // by phase
    QHash<QString, QList<int>> by_waiting[2], by_required[2]; // indexes into edges
};

// The services whose Required-Start (strong) or Should-Start names service,
// each once, the strongest requirement kept, in the order of their names.
QList<Requirement> required_by(const DependencyGraph &graph, const QString &service);
