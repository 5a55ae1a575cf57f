#pragma once

#include "catalogue/boot_configuration.h"
#include "catalogue/change_map.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

// One step of a plan: an override written or deleted, a program run, or, to
// undo an apply, a service's links or insserv's dependency files put back.
struct PlanStep
{
    enum Kind { WriteOverride, DeleteOverride, Run, RestoreLinks, RestoreFiles };

    Kind kind = Run;
    QString service;
    QByteArray content; // WriteOverride: the whole new file
    QString failure;    // the error detail when an override step fails
    QString program;    // Run
    QStringList arguments;
    QList<RunlevelLink> links;         // RestoreLinks: every link of the service afterwards
    QMap<QString, QByteArray> files;   // RestoreFiles: insserv's ".depend.*" files afterwards, by name

    bool changes_override() const { return kind == WriteOverride || kind == DeleteOverride; }
    bool is_dry_run() const { return kind == Run && arguments.contains(QStringLiteral("--dryrun")); }
    QString command() const;
};

// What the table knows of a service when the plan is made.
struct ServiceFacts
{
    bool listed = false;
    quint16 sequence = 0;
    bool linked = false;   // a link in some runlevel directory
    bool disabled = false; // shown "off": no links, or started by its header but by no link
    LinkStates link_kinds; // the kind of its link in each runlevel
};
using SystemFacts = QHash<QString, ServiceFacts>;

// How a service was before an operation: what the preview compares with.
struct ServiceOrigin
{
    bool had_override = false;
    QByteArray override_content;
    QString header_path; // the header insserv uses now: the override, else the script
    QStringList header_lines;
};

// Everything an apply, a reset or a dependency edit will do, in order. The
// confirmation shows it and the same plan is executed.
struct ApplyPlan
{
    QList<PlanStep> steps;
    QMap<QString, ServiceOrigin> origins; // every service a step touches
    // Per touched service, its links afterwards: what the table shows once the
    // plan has run. The rehearsal and the verification hold the result to it.
    QMap<QString, LinkStates> intended;
    // What it is, for the system log and the history: "apply", "reset",
    // "dependency edit" or "undo"; and the history entry an undo undoes.
    QString operation;
    QString undoes;

    int program_runs() const;
    // The services it touches, in the order its steps run; services whose links
    // only are expected to change follow.
    QStringList touched_services() const;
};

ApplyPlan plan_changes(const ChangeMap &changes, const SystemFacts &facts);
ApplyPlan plan_reset(const QStringList &services, const SystemFacts &facts);
ApplyPlan plan_dependencies(const QString &service, const QVariant &dependencies, const SystemFacts &facts);

// How a service is now, as a plan that touches it starts from.
ServiceOrigin service_origin(const QString &service);

// The changes of one group in the order they run: whatever does not start a
// service goes first, from the highest sequence number down, then the starts
// from the lowest up; a service missing from the listing comes last.
QList<ChangeKey> run_order(const ChangeMap &work, const SystemFacts &facts);

// Of the services the changes disable, those the boot cannot do without: the
// ones started in runlevel S, and the ones that only run at halt or reboot.
QStringList disabled_backbone(const ChangeMap &changes, const QSet<Service> &start_services,
                              const QSet<Service> &kill_services);

// The insserv run of one whole-service change.
PlanStep insserv_step(const QString &service, const QString &value, bool force, bool dryrun);

// The runlevels in which update-rc.d turns start links into stop links and back.
const QStringList &toggled_runlevels();
// The links that a header's Default-Start and Default-Stop give a service.
LinkStates header_states(const QString &default_start, const QString &default_stop);
