#pragma once

#include <QString>

#include <sys/types.h>

// Where the instances of one user keep their lock file and socket. Only a
// directory that no other local user can write to will do: whoever could put a
// lock there first would make the program believe it already runs and send its
// message to a socket of theirs.
//
// Root uses "qtsingleapp" under run, created owned by root with mode 0700.
// Other users use their runtime directory when it is theirs alone, or else
// "qtsingleapp-UID" in temp, created likewise. A directory is trusted only when
// it is a real directory (not a symbolic link) owned by the user, with no
// access for anybody else. When none is, the result is empty and problem says
// why.
QString private_instance_directory(uid_t user, const QString &runtime, const QString &run, const QString &temp,
                                   QString &problem);

// Where root's directory lies: "/run", unless the tests moved it.
QString run_directory();

namespace test_hooks {

// Moves root's directory away from "/run", so that the tests' own instances
// never meet the machine's.
void set_run_directory(const QString &run);

} // namespace test_hooks
