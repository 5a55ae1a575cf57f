#pragma once

#include <QString>

// etckeeper, where it keeps /etc in version control: the program's changes
// get the same two commits as a run of the package manager, one of what was
// left uncommitted before, one of the change after. etckeeper failing never
// stops an apply: each commit answers with a warning, or nothing.
namespace etckeeper {

// Installed, and /etc taken over by it (/etc/.etckeeper is there).
bool keeps_etc();

// As its package-manager hook does: commits what is uncommitted in /etc with
// the message "saving uncommitted changes in /etc prior to vorn-admin-runlevel run".
QString commit_uncommitted();

// Commits what is uncommitted in /etc now with this message, if anything is.
QString commit(const QString &message);

} // namespace etckeeper
