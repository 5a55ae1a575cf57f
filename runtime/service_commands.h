#pragma once

#include "runtime/lsb_status.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class SessionProcess;

// One run of "service NAME ACTION" and how it ended.
struct ServiceCommand
{
    enum Outcome { NotRun, Succeeded, Failed, Crashed, TimedOut, Cancelled, NotStarted };

    ServiceCommand() = default;
    ServiceCommand(const QString &service, const QString &action) : service(service), action(action) {}

    QString service;
    QString action; // "start", "stop" or "restart"
    Outcome outcome = NotRun;
    int exit_status = -1;
    QByteArray output; // standard output and error as the script wrote them, the end of it if long

    bool succeeded() const { return outcome == Succeeded; }
};

// Whether the state read back after a command that succeeded says it did not
// do what it said: not running after a start or restart, running after a stop.
// An unknown state proves nothing either way.
bool contradicts(const ServiceCommand &command, RunState after);

// Runs commands one after another, never two at once (init scripts are not
// written to run side by side), without waiting on the thread that asks.
class ServiceCommands : public QObject
{
    Q_OBJECT

public:
    // A start that has not ended within it is ended with what it started,
    // unless that detached itself; the tests shorten it.
    static int default_time_limit_ms;

    explicit ServiceCommands(QObject *parent = nullptr);
    ~ServiceCommands() override;

    void run(const QList<ServiceCommand> &commands);
    // Ends the command under way; those after it are not run.
    void cancel();
    bool busy() const { return process != nullptr; }
    const QList<ServiceCommand> &results() const { return commands; }

signals:
    void command_started(int index, int count);
    void finished();

private:
    void start_next();
    void conclude(ServiceCommand::Outcome outcome, int exit_status);
    void keep_output();

    QList<ServiceCommand> commands;
    int current = -1;
    SessionProcess *process = nullptr;
    int time_limit_ms;
};
