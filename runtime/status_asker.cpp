#include "runtime/status_asker.h"

#include "catalogue/system_paths.h"
#include "runtime/spawned_process.h"

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

StatusAsker::StatusAsker(int parallel, int time_limit_ms)
    : parallel(parallel)
    , time_limit_ms(time_limit_ms)
{
}

StatusAsker::~StatusAsker()
{
    cancel();
}

void StatusAsker::ask(int new_round, const QStringList &names, const QProcessEnvironment &clean)
{
    cancel();
    round = new_round;
    queue = names;
    environment = clean;
    start_more();
    if (!busy())
        emit finished(round);
}

// A process ended here stays until it has gone: its object waits for it when
// it is destroyed.
void StatusAsker::cancel()
{
    const QList<SpawnedProcess *> processes = running.keys();
    running.clear();
    queue.clear();
    next = 0;
    for (SpawnedProcess *process : processes)
        process->end_group();
}

// Scripts that need not run are answered at once, so a round of them alone
// finishes within the call.
void StatusAsker::start_more()
{
    while (running.size() < parallel && next < queue.size()) {
        const QString name = queue.at(next++);
        if (!launch(name))
            emit state_known(round, name, RunState::Unknown);
    }
}

bool StatusAsker::launch(const QString &name)
{
    const QString path = init_scripts_path() + QLatin1Char('/') + name;
    if (!is_plain_file_name(name) || !can_ask(path))
        return false;
    auto *process = new SpawnedProcess(this);
    if (!process->start(path, {QStringLiteral("status")}, environment)) {
        delete process;
        return false;
    }
    connect(process, &SpawnedProcess::finished, this, [this, process](int status) {
        conclude(process, status < 0 ? RunState::Unknown : run_state_of(status));
    });
    QTimer::singleShot(time_limit_ms, process, [this, process] {
        if (running.contains(process)) {
            process->end_group();
            conclude(process, RunState::Unknown);
        }
    });
    running.insert(process, name);
    return true;
}

// Called once more when an ended process has gone; only the first call counts.
void StatusAsker::conclude(SpawnedProcess *process, RunState state)
{
    if (!process->running())
        process->deleteLater();
    const auto found = running.find(process);
    if (found == running.end())
        return;
    const QString name = found.value();
    running.erase(found);
    emit state_known(round, name, state);
    start_more();
    if (!busy())
        emit finished(round);
}
