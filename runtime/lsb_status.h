#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QProcessEnvironment>

// How a service runs now, as its init script's status action says: apart from
// how it is set up to start at boot.
enum class RunState { Unknown, Running, Dead, NotRunning };
Q_DECLARE_METATYPE(RunState)

// The LSB meaning of an exit status of "/etc/init.d/NAME status": 0 running, 1
// or 2 dead with a pid or lock file left, 3 not running; 4 says unknown, and
// every other status (reserved, or the script's own) says nothing either.
RunState run_state_of(int exit_status);

// Whether a script's text offers a status action: a case label of it (alone or
// among others), a comparison of an argument with it, a usage line naming it, or
// Debian's init-d-script as the interpreter, which brings one. Comment lines do
// not count. A script without one would take "status" for an unknown action and
// answer with a usage message and an exit status that reads like a state, so
// such a script is never run to ask.
bool has_status_action(const QByteArray &script);

// What an init script sees of the program's environment: the locale (its output
// is shown to the user) and the search path that init gives, nothing else: a
// script started at boot sees no more, and the user's variables must not change
// what a script does as root.
QProcessEnvironment clean_environment(const QProcessEnvironment &caller);
