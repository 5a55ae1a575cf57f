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
// Sequence numbers may change. names_to_scripts turns provided names into scripts.
QStringList rehearsal_problems(const ApplyPlan &plan, const Rehearsal &rehearsal,
                               const QHash<QString, QString> &names_to_scripts);

// insserv's complaints in a text, in plain words, the expected warnings about
// services disabled the Debian way left out; the words name what the plan does
// to a service another one needs.
QStringList explained(const QString &text, const ApplyPlan &plan, const QHash<QString, QString> &names_to_scripts);

// Of the services with a script, those not in touched whose start or stop
// state differs between the two readings, each with the runlevels.
QStringList state_changes(const BootConfiguration &before, const BootConfiguration &after, const QStringList &touched);
