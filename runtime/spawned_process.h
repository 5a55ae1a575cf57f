#pragma once

#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

#include <sys/types.h>

class QSocketNotifier;

// A program run for its exit status alone, as a status action is: started
// with posix_spawn, which does not copy the program's memory as QProcess's
// fork does (a few milliseconds of the window's thread each, at a window's
// size), in a session and so a process group of its own, with every standard
// stream on /dev/null and "/" as its directory. Its end is noticed through a
// pidfd, without waiting.
class SpawnedProcess : public QObject
{
    Q_OBJECT

public:
    explicit SpawnedProcess(QObject *parent = nullptr);
    // Ends the process group if it still runs, and reaps the process.
    ~SpawnedProcess() override;

    // False when it could not be started.
    bool start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment);
    // Kills the whole group; finished() follows once the process has gone.
    void end_group();
    bool running() const { return pid > 0; }

signals:
    // The exit status, or -1 when a signal ended it.
    void finished(int exit_status);

private:
    void reap();

    pid_t pid = -1;
    int pidfd = -1;
    QSocketNotifier *notifier = nullptr;
};
