#include "instance_directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

QString run_base = QStringLiteral("/run");

// Checked with lstat, so that a link to a good directory is refused too: its
// owner could point it elsewhere at any moment.
QString refusal(const QString &path, uid_t user)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QCoreApplication::translate("QtSingleApplication", "%1: %2")
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(status.st_mode))
        return QCoreApplication::translate("QtSingleApplication", "%1 is a symbolic link").arg(path);
    if (!S_ISDIR(status.st_mode))
        return QCoreApplication::translate("QtSingleApplication", "%1 is not a directory").arg(path);
    if (status.st_uid != user)
        return QCoreApplication::translate("QtSingleApplication", "%1 belongs to another user").arg(path);
    if (status.st_mode & (S_IRWXG | S_IRWXO))
        return QCoreApplication::translate("QtSingleApplication", "%1 is open to other users").arg(path);
    return QString();
}

// mkdir never follows a link nor changes what exists: whatever is there is
// judged as it is.
QString created(const QString &path, uid_t user, QString &problem)
{
    ::mkdir(QFile::encodeName(path).constData(), S_IRWXU);
    problem = refusal(path, user);
    return problem.isEmpty() ? path : QString();
}

} // namespace

QString private_instance_directory(uid_t user, const QString &runtime, const QString &run, const QString &temp,
                                   QString &problem)
{
    if (user == 0)
        return created(QDir(run).filePath(QStringLiteral("qtsingleapp")), user, problem);
    // Another user's runtime directory (kept by su, say) is not ours to use.
    if (!runtime.isEmpty() && refusal(runtime, user).isEmpty()) {
        problem.clear();
        return runtime;
    }
    return created(QDir(temp).filePath(QStringLiteral("qtsingleapp-%1").arg(user)), user, problem);
}

QString run_directory()
{
    return run_base;
}

void test_hooks::set_run_directory(const QString &run)
{
    run_base = run;
}
