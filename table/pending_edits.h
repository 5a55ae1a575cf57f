#pragma once

#include "catalogue/change_map.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The pending edits of a table as plain data, so that they can leave one table
// and be registered again on a freshly loaded one: after an apply that stopped
// half-way, or in the administrator's instance that takes over from an
// ordinary one.
//
// As text, one edit a line: "NAME RUNLEVEL start|stop|ignore" for a runlevel
// cell, "NAME enable|disable" for the whole service. Blank lines and lines
// starting with "#" say nothing.
QByteArray edits_to_text(const ChangeMap &edits);
// Lines that say no edit are left out and listed in not_understood.
ChangeMap edits_from_text(const QByteArray &text, QStringList &not_understood);

// How an edit meets a table, whose value of every key it holds is given as
// current: (service, runlevel) to the mark there, (service, "") to "S" for an
// enabled service, "K" for a disabled one.
enum class EditFit {
    Pending,         // a change of the table: registered as pending
    InEffect,        // the table already shows it: nothing is pending
    UnknownRunlevel, // not a runlevel of the table
    UnknownService,  // no row of the table is this service's
    InvalidValue,    // a mark or state the table never records ("K" on runlevel S, say)
};
EditFit edit_fit(const ChangeKey &key, const QString &value, const ChangeMap &current);

// The edits split by how they meet a table; refused holds one line for each
// edit of another kind than Pending or InEffect, saying why.
struct FittedEdits
{
    ChangeMap pending;
    ChangeMap in_effect;
    QStringList refused;
};
FittedEdits fit_edits(const ChangeMap &edits, const ChangeMap &current);

// One edit as the user reads it: "cron: stop on level 2", "ssh: disable".
QString edit_description(const ChangeKey &key, const QString &value);
QStringList edit_descriptions(const ChangeMap &edits);
