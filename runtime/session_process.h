#pragma once

#include <QProcess>

// A process that leads a session, and so a process group, of its own: ending
// it ends whatever it started that stayed in its group too (a script's
// "sleep", a status helper that hangs), while a daemon that detached itself,
// as daemons do, lives on.
class SessionProcess : public QProcess
{
public:
    explicit SessionProcess(QObject *parent = nullptr);

    // Kills the whole group; the process itself at least, should it not lead one.
    void end_group();

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
protected:
    void setupChildProcess() override;
#endif
};
