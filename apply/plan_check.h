#pragma once

#include "apply/apply_plan.h"
#include "apply/insserv_messages.h"
#include "apply/rehearsal.h"

#include <QHash>
#include <QStringList>

// What stands against carrying out a plan whose rehearsal went as given, in
// plain words, one sentence a problem; none when the plan may run:
// - a step that failed on the copy;
// - a setup that insserv refuses as a whole afterwards, where it did not before;
// - a touched service whose links end otherwise than the table shows;
// - an untouched service (one with a script) whose start or stop state changes.
// Sequence numbers may change. names_to_scripts turns provided names into scripts;
// with the graph of the headers the plan leaves, a loop is told as its chain.
QStringList rehearsal_problems(const ApplyPlan &plan, const Rehearsal &rehearsal,
                               const QHash<QString, QString> &names_to_scripts, const DependencyGraph *graph = nullptr);

// insserv's complaints in a text, in plain words, the expected warnings about
// services disabled the Debian way left out; the words name what the plan does
// to a service another one needs.
// services, if given, gets the services whose dependencies the sentences ask to change.
QStringList explained(const QString &text, const ApplyPlan &plan, const QHash<QString, QString> &names_to_scripts,
                      const DependencyGraph *graph = nullptr, QStringList *services = nullptr);

// The overrides as they are once the plan's writes and deletions are done.
QMap<QString, QByteArray> overrides_after(const ApplyPlan &plan, QMap<QString, QByteArray> overrides);

// Of the services with a script, those not in touched whose start or stop
// state differs between the two readings, each with the runlevels.
QStringList state_changes(const BootConfiguration &before, const BootConfiguration &after, const QStringList &touched);
