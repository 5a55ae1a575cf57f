#pragma once

#include "apply/apply_plan.h"
#include "catalogue/boot_configuration.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One apply as the history keeps it: every service whose links or override it
// changed, with those links and overrides before and after, and insserv's
// dependency files it changed. It is a text file of its own under
// /var/lib/vorn-admin-runlevel/history, named after the time it was kept,
// from which an administrator can put everything back by hand.
struct HistoryEntry
{
    QString id;   // the file's name: the time in UTC, "20261207T162430.123Z"
    QString date; // "2026-12-07 16:24:30 UTC"
    QString user;
    QString operation;
    QString undoes;      // for an undo: the entry it undid
    QStringList summary; // a line a service
    QStringList services;
    BootConfiguration before, after; // of those services only, and the dependency files that changed
};

// How many entries the history keeps: the newest.
const int kept_history_entries = 20;

// The entry of a plan that has run, from the configuration right before and
// right after it; without services when nothing changed.
HistoryEntry history_entry(const ApplyPlan &plan, const BootConfiguration &before, const BootConfiguration &after,
                           const QString &user, const QStringList &summary, const QDateTime &when);

QByteArray entry_text(const HistoryEntry &entry);
std::optional<HistoryEntry> parse_entry(const QString &id, const QByteArray &text);

// Writes the entry into the history and drops all but the newest entries;
// empty, or a warning saying why it could not be kept.
QString keep_in_history(const HistoryEntry &entry);

// The entries of the history, newest first; files that are none are left out.
QList<HistoryEntry> read_history();

// The newest entry that is no undo and that no later undo undid.
std::optional<HistoryEntry> last_undoable(const QList<HistoryEntry> &history);
