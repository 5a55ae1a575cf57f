#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Whether this process may change the boot configuration: writing the
// overrides and running insserv need the effective user id 0.
bool has_administrator_rights();

// The command line that starts program again as root through pkexec. The
// installed program has a polkit action of its own that keeps the display;
// any other copy (a build tree, say) falls under pkexec's generic action,
// which clears the environment, so the display goes along through env.
QStringList administrator_restart_command(const QString &program, const QString &installed_program,
                                          const QProcessEnvironment &environment);
