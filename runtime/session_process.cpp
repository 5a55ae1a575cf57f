#include "runtime/session_process.h"

#include <csignal>

#include <unistd.h>

SessionProcess::SessionProcess(QObject *parent)
    : QProcess(parent)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    setChildProcessModifier([] { ::setsid(); });
#endif
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
void SessionProcess::setupChildProcess()
{
    ::setsid();
}
#endif

void SessionProcess::end_group()
{
    const qint64 pid = processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
    kill();
}
