#include "apply/process_runner.h"

#include "catalogue/system_paths.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace {

// A process that is prepared in its child before the program runs.
class PreparedProcess : public QProcess
{
public:
    explicit PreparedProcess(const std::function<void()> &prepare)
        : prepare(prepare)
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        if (prepare)
            setChildProcessModifier(prepare);
#endif
    }

protected:
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    void setupChildProcess() override
    {
        if (prepare)
            prepare();
    }
#endif

private:
    std::function<void()> prepare;
};

} // namespace

ProcessResult run_process(const QString &program, const QStringList &arguments)
{
    return run_prepared_process(program, arguments, {}, {});
}

ProcessResult run_prepared_process(const QString &program, const QStringList &arguments, const QStringList &environment,
                          const std::function<void()> &in_child)
{
    ProcessResult result;
    PreparedProcess process(in_child);
    if (!environment.isEmpty())
        process.setEnvironment(QProcess::systemEnvironment() + environment);
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
