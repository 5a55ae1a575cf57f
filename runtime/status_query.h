#pragma once

#include "runtime/lsb_status.h"

#include <QHash>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

class SessionProcess;

// Asks services' init scripts how they run now ("/etc/init.d/NAME status"),
// several at a time, without ever waiting on the thread that asks: each answer
// arrives as a signal. A script that has not answered within the time limit is
// ended with everything it started and counts as unknown; a script without a
// status action, or one that is missing or not executable, is not run at all.
class StatusQuery : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int parallel = 8;
        int time_limit_ms = 2000;
    };
    // What every new query starts with; the tests shorten the time limit.
    static Limits default_limits;

    explicit StatusQuery(QObject *parent = nullptr);
    ~StatusQuery() override;

    // Asks every named service in turn; a round still under way is ended first.
    void ask(const QStringList &names);
    // Ends the round: scripts still running are ended and report nothing.
    void cancel();
    bool busy() const { return next < queue.size() || !running.isEmpty(); }

signals:
    void state_known(const QString &name, RunState state);
    // After the last answer of a round.
    void finished();

private:
    void start_more();
    // Starts the script, or returns false when its state is known without running it.
    bool launch(const QString &name);
    void conclude(SessionProcess *process, RunState state);

    Limits limits;
    QStringList queue;
    int next = 0;
    QHash<SessionProcess *, QString> running;
    QProcessEnvironment environment;
};
