#include "runtime/spawned_process.h"

#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Pointers into byte arrays that must outlive the spawn, ended by a null.
std::vector<char *> pointers(QList<QByteArray> &strings)
{
    std::vector<char *> result;
    for (QByteArray &string : strings)
        result.push_back(string.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

SpawnedProcess::SpawnedProcess(QObject *parent)
    : QObject(parent)
{
}

SpawnedProcess::~SpawnedProcess()
{
    if (pid > 0) {
        end_group();
        ::waitpid(pid, nullptr, 0);
    }
    if (pidfd >= 0)
        ::close(pidfd);
}

bool SpawnedProcess::start(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment)
{
    QList<QByteArray> argument_bytes{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        argument_bytes.append(argument.toLocal8Bit());
    QList<QByteArray> environment_bytes;
    for (const QString &entry : environment.toStringList())
        environment_bytes.append(entry.toLocal8Bit());
    std::vector<char *> argv = pointers(argument_bytes);
    std::vector<char *> envp = pointers(environment_bytes);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    // A script gets the signals as init would give them: none blocked or ignored.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int failed = posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        pid = -1;
        return false;
    }

    pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0) {
        end_group();
        ::waitpid(pid, nullptr, 0);
        pid = -1;
        return false;
    }
    notifier = new QSocketNotifier(pidfd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SpawnedProcess::reap);
    return true;
}

void SpawnedProcess::end_group()
{
    if (pid > 0)
        ::kill(-pid, SIGKILL);
}

void SpawnedProcess::reap()
{
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, WNOHANG) != pid)
        return;
    pid = -1;
    notifier->setEnabled(false);
    emit finished(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}
