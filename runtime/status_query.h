#pragma once

#include "runtime/lsb_status.h"

#include <QObject>
#include <QStringList>
#include <QThread>

class StatusAsker;

// Asks services' init scripts how they run now ("/etc/init.d/NAME status"),
// several at a time, from a thread of its own: the thread that asks never
// waits, and each answer arrives there as a signal. A script that has not
// answered within the time limit is ended with everything it started and
// counts as unknown; a script without a status action, or one that is missing
// or not executable, is not run at all and is unknown too.
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
    // Ends every script still asked.
    ~StatusQuery() override;

    // Asks every named service in turn; a round still under way is ended first.
    void ask(const QStringList &names);
    // Ends the round: scripts still running are ended, and nothing more is reported.
    void cancel();
    bool busy() const { return asking; }

signals:
    void state_known(const QString &name, RunState state);
    // After the last answer of a round.
    void finished();

private:
    QThread thread;
    StatusAsker *asker;
    // Answers of an ended round may still be on their way; they are dropped.
    int round = 0;
    bool asking = false;
};
