#include "runtime/service_commands.h"

#include "catalogue/system_paths.h"
#include "runtime/session_process.h"

#include <QProcessEnvironment>
#include <QTimer>

namespace {

// Enough of what a script says to show why it failed.
const int kept_output = 64 * 1024;

} // namespace

bool contradicts(const ServiceCommand &command, RunState after)
{
    if (!command.succeeded() || after == RunState::Unknown)
        return false;
    if (command.action == QLatin1String("stop"))
        return after == RunState::Running;
    return after != RunState::Running;
}

int ServiceCommands::default_time_limit_ms = 90000;

ServiceCommands::ServiceCommands(QObject *parent)
    : QObject(parent)
    , time_limit_ms(default_time_limit_ms)
{
}

ServiceCommands::~ServiceCommands()
{
    if (process)
        process->end_group();
}

void ServiceCommands::run(const QList<ServiceCommand> &list)
{
    cancel();
    commands = list;
    current = -1;
    start_next();
}

void ServiceCommands::cancel()
{
    if (!process)
        return;
    SessionProcess *ended = process;
    process = nullptr;
    ended->disconnect(this);
    ended->end_group();
    commands[current].outcome = ServiceCommand::Cancelled;
    connect(ended, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), ended, &QObject::deleteLater);
    current = commands.size();
    emit finished();
}

void ServiceCommands::start_next()
{
    if (++current >= commands.size()) {
        emit finished();
        return;
    }
    ServiceCommand &command = commands[current];
    emit command_started(current, commands.size());
    if (!is_plain_file_name(command.service)) {
        conclude(ServiceCommand::NotStarted, -1);
        return;
    }
    process = new SessionProcess(this);
    process->setProcessEnvironment(clean_environment(QProcessEnvironment::systemEnvironment()));
    process->setWorkingDirectory(QStringLiteral("/"));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::readyReadStandardOutput, this, &ServiceCommands::keep_output);
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) {
                keep_output();
                if (status != QProcess::NormalExit)
                    conclude(ServiceCommand::Crashed, -1);
                else
                    conclude(code == 0 ? ServiceCommand::Succeeded : ServiceCommand::Failed, code);
            });
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            conclude(ServiceCommand::NotStarted, -1);
    });
    QTimer::singleShot(time_limit_ms, process, [this, timed = process] {
        if (process != timed)
            return;
        process->end_group();
        conclude(ServiceCommand::TimedOut, -1);
    });
    process->start(service_program(), {command.service, command.action}, QIODevice::ReadOnly);
}

// A process ended by its time limit is deleted once it has gone: a process
// object waits for its process when it is destroyed.
void ServiceCommands::conclude(ServiceCommand::Outcome outcome, int exit_status)
{
    if (process) {
        process->disconnect(this);
        if (process->state() == QProcess::NotRunning)
            process->deleteLater();
        else
            connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), process, &QObject::deleteLater);
        process = nullptr;
    }
    commands[current].outcome = outcome;
    commands[current].exit_status = exit_status;
    start_next();
}

void ServiceCommands::keep_output()
{
    QByteArray &output = commands[current].output;
    output += process->readAllStandardOutput();
    if (output.size() > kept_output)
        output.remove(0, output.size() - kept_output);
}
