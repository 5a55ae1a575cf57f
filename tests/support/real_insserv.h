#pragma once

#include <QString>
#include <QStringList>

class TestRoot;

// The host's insserv confined to a test root. A wrapper installed as the root's
// "/sbin/insserv" and, first on PATH, as "insserv" runs it with the scripts, the
// overrides, the configuration and its dependency files all inside the root;
// insserv finds the runlevel directories next to the scripts. Without "-i" it
// would write its dependency files into the host's own "/etc/init.d".
class RealInsserv
{
public:
    static QString host_program() { return QStringLiteral("/sbin/insserv"); }
    static bool available();

    explicit RealInsserv(TestRoot &root);

    // Runs the wrapper and waits for it; false when it failed, with its error
    // output in errors.
    bool run(const QStringList &arguments, QString *errors = nullptr) const;

private:
    QString wrapper;
};
