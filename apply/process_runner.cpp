#include "apply/process_runner.h"

#include "catalogue/system_paths.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

ProcessResult run_process(const QString &program, const QStringList &arguments)
{
    ProcessResult result;
    QProcess process;
    process.start(program, arguments, QIODevice::ReadOnly);
    result.started = process.waitForStarted(process_timeout());
    if (!result.started)
        return result;

    // A local loop rather than waitForFinished: a long run must not freeze the
    // window, and no click may reach it before the run is over.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop, &QEventLoop::quit);
    deadline.start(process_timeout());
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    result.finished = process.state() == QProcess::NotRunning;
    if (!result.finished)
        return result; // the process object kills what is still running
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exit_code = process.exitCode();
    result.error_output = process.readAllStandardError();
    return result;
}
