#pragma once

#include "runtime/lsb_status.h"

#include <QHash>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

class SpawnedProcess;

// The thread-side part of StatusQuery: runs the scripts of one round of
// questions after another, at most `parallel` at a time, each ended after the
// time limit. Starting a process waits until it runs, a few milliseconds on a
// busy machine: here that holds up no window.
class StatusAsker : public QObject
{
    Q_OBJECT

public:
    StatusAsker(int parallel, int time_limit_ms);
    ~StatusAsker() override;

    // A new round ends the one under way.
    void ask(int round, const QStringList &names, const QProcessEnvironment &environment);
    void cancel();

signals:
    void state_known(int round, const QString &name, RunState state);
    void finished(int round);

private:
    bool busy() const { return next < queue.size() || !running.isEmpty(); }
    void start_more();
    // Starts the script, or returns false when its state is known without running it.
    bool launch(const QString &name);
    void conclude(SpawnedProcess *process, RunState state);

    const int parallel;
    const int time_limit_ms;
    int round = 0;
    QStringList queue;
    int next = 0;
    QHash<SpawnedProcess *, QString> running;
    QProcessEnvironment environment;
};
