#include "runtime/status_query.h"

#include "catalogue/system_paths.h"
#include "runtime/session_process.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

// Init scripts are small; whatever is larger is read no further.
const qint64 longest_script = 1 << 20;

bool can_ask(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    QFile script(path);
    return script.open(QIODevice::ReadOnly) && has_status_action(script.read(longest_script));
}

} // namespace

StatusQuery::Limits StatusQuery::default_limits;

StatusQuery::StatusQuery(QObject *parent)
    : QObject(parent)
    , limits(default_limits)
{
}

StatusQuery::~StatusQuery()
{
    cancel();
}

void StatusQuery::ask(const QStringList &names)
{
    cancel();
    queue = names;
    next = 0;
    environment = clean_environment(QProcessEnvironment::systemEnvironment());
    start_more();
    if (!busy())
        emit finished();
}

// A process ended here stays until it has gone, as a process object waits for
// its process when it is destroyed.
void StatusQuery::cancel()
{
    const QList<SessionProcess *> processes = running.keys();
    running.clear();
    queue.clear();
    next = 0;
    for (SessionProcess *process : processes)
        process->end_group();
}

// Scripts that need not run are answered at once, so a round of them alone
// finishes within the call.
void StatusQuery::start_more()
{
    while (running.size() < limits.parallel && next < queue.size()) {
        const QString name = queue.at(next++);
        if (!launch(name))
            emit state_known(name, RunState::Unknown);
    }
}

bool StatusQuery::launch(const QString &name)
{
    const QString path = init_scripts_path() + QLatin1Char('/') + name;
    if (!is_plain_file_name(name) || !can_ask(path))
        return false;
    auto *process = new SessionProcess(this);
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(QStringLiteral("/"));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this, process](int code, QProcess::ExitStatus status) {
                conclude(process, status == QProcess::NormalExit ? run_state_of(code) : RunState::Unknown);
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            conclude(process, RunState::Unknown);
    });
    QTimer::singleShot(limits.time_limit_ms, process, [this, process] {
        if (running.contains(process)) {
            process->end_group();
            conclude(process, RunState::Unknown);
        }
    });
    running.insert(process, name);
    process->start(path, {QStringLiteral("status")}, QIODevice::ReadOnly);
    return true;
}

// Called once more when an ended process is gone, or fails to start after all;
// only the first call counts.
void StatusQuery::conclude(SessionProcess *process, RunState state)
{
    if (process->state() == QProcess::NotRunning)
        process->deleteLater();
    const auto found = running.find(process);
    if (found == running.end())
        return;
    const QString name = found.value();
    running.erase(found);
    emit state_known(name, state);
    start_more();
    if (!busy())
        emit finished();
}
