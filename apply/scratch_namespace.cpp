#include "apply/scratch_namespace.h"

#include "catalogue/system_paths.h"
#include "catalogue/test_hooks.h"
#include "catalogue/utf8_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/magic.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool namespaces_denied = false;

// The copy is made and thrown away at every apply: on a tmpfs it costs no
// disk, and its thousand links are made at once, where a disk's file system
// may take its time over inodes just freed.
QString scratch_template()
{
    QString base = QDir::tempPath();
    for (const char *candidate : {"/run", "/dev/shm"}) {
        struct statfs system {};
        if (::statfs(candidate, &system) == 0 && system.f_type == TMPFS_MAGIC && ::access(candidate, W_OK) == 0) {
            base = QString::fromLatin1(candidate);
            break;
        }
    }
    return QDir(base).filePath(QStringLiteral("vorn-admin-runlevel-XXXXXX"));
}

// What the holder reports before it waits: a letter for the step, and errno.
struct HolderReport
{
    char step = 0; // 'r' ready, 'u' unshare, 'p' private mounts, 'b' bind
    unsigned char error = 0;
};

// Mounts that propagate to other namespaces would carry the binds out to the
// machine. Where / is no mount point (a chroot) it cannot be made private,
// which is harmless only while nothing propagates.
bool shared_mounts()
{
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    return !mounts.open(QIODevice::ReadOnly) || mounts.readAll().contains(" shared:");
}

// Runs in the child between fork and _exit, so it makes system calls only.
[[noreturn]] void hold(const std::vector<QByteArray> &sources, const std::vector<QByteArray> &targets,
                       bool may_stay_shared, bool denied, int report, int alive)
{
    HolderReport result{'r', 0};
    struct stat source {}, target {};
    if (denied)
        result = {'u', EPERM};
    else if (::unshare(CLONE_NEWNS) != 0)
        result = {'u', static_cast<unsigned char>(errno)};
    else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 && !may_stay_shared)
        result = {'p', static_cast<unsigned char>(errno)};
    for (size_t i = 0; result.step == 'r' && i < sources.size(); ++i) {
        if (::mount(sources[i].constData(), targets[i].constData(), nullptr, MS_BIND, nullptr) != 0)
            result = {'b', static_cast<unsigned char>(errno)};
        else if (::stat(targets[i].constData(), &target) != 0 || ::stat(sources[i].constData(), &source) != 0
                 || target.st_dev != source.st_dev || target.st_ino != source.st_ino)
            result = {'b', EXDEV};
    }
    if (::write(report, &result, sizeof result) != sizeof result)
        ::_exit(1);
    char byte;
    while (result.step == 'r' && ::read(alive, &byte, 1) > 0) {
    }
    ::_exit(0);
}

} // namespace

void test_hooks::deny_private_namespaces(bool deny)
{
    namespaces_denied = deny;
}

ScratchNamespace::ScratchNamespace(const QString &root)
    : scratch(scratch_template())
{
    QStringList paths;
    for (const QString &path : boot_configuration_paths(QString())) {
        if (QFileInfo::exists(root + path))
            paths.append(path);
    }
    if (!scratch.isValid())
        failure = QCoreApplication::translate("ServiceTable", "No scratch directory: %1").arg(scratch.errorString());
    else if (copy(root, paths))
        lay_over(root, paths);
}

ScratchNamespace::~ScratchNamespace()
{
    if (namespace_descriptor >= 0)
        ::close(namespace_descriptor);
    if (root_descriptor >= 0)
        ::close(root_descriptor);
    if (keep_alive >= 0)
        ::close(keep_alive);
    if (holder > 0)
        ::waitpid(holder, nullptr, 0);
}

bool ScratchNamespace::copy(const QString &root, const QStringList &paths)
{
    QDir().mkpath(scratch.filePath(QStringLiteral("etc")));
    QStringList arguments{QStringLiteral("-a"), QStringLiteral("--")};
    for (const QString &path : paths)
        arguments.append(root + path);
    arguments.append(scratch.filePath(QStringLiteral("etc")) + QLatin1Char('/'));
    const ProcessResult copied = run_process(QStringLiteral("cp"), arguments);
    if (!copied.succeeded())
        failure = QCoreApplication::translate("ServiceTable", "The boot configuration could not be copied: %1")
                      .arg(utf8_up_to_nul(copied.error_output));
    return failure.isEmpty();
}

// A child of this process unshares its mount namespace, binds each copied path
// over the machine's, checks that the machine's path now is the copy, and
// waits until keep_alive closes: when this object goes, or this program ends
// whichever way, so does the namespace.
bool ScratchNamespace::lay_over(const QString &root, const QStringList &paths)
{
    std::vector<QByteArray> sources, targets;
    for (const QString &path : paths) {
        sources.push_back(QFile::encodeName(scratch.path() + path));
        targets.push_back(QFile::encodeName(root + path));
    }
    const bool may_stay_shared = !shared_mounts();
    int report[2], alive[2];
    if (::pipe2(report, O_CLOEXEC) != 0 || ::pipe2(alive, O_CLOEXEC) != 0) {
        failure = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    holder = ::fork();
    if (holder == 0) {
        ::close(report[0]);
        ::close(alive[1]);
        hold(sources, targets, may_stay_shared, namespaces_denied, report[1], alive[0]);
    }
    ::close(report[1]);
    ::close(alive[0]);
    keep_alive = alive[1];
    HolderReport result;
    const bool reported = holder > 0 && ::read(report[0], &result, sizeof result) == sizeof result;
    ::close(report[0]);
    if (reported && result.step == 'r') {
        const QByteArray process = "/proc/" + QByteArray::number(holder);
        namespace_descriptor = ::open((process + "/ns/mnt").constData(), O_RDONLY | O_CLOEXEC);
        root_descriptor = ::open((process + "/root").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (namespace_descriptor >= 0 && root_descriptor >= 0)
            return true;
        result = {'n', static_cast<unsigned char>(errno)};
    }
    const QString reason = QString::fromLocal8Bit(std::strerror(reported ? result.error : errno));
    failure = QCoreApplication::translate("ServiceTable", "No private mount namespace: %1").arg(reason);
    return false;
}

// A child that cannot enter the namespace ends before its program starts:
// run outside, the program would change the machine. Entering a mount
// namespace also moves the root to that namespace's own: in a chroot that is
// the machine's, outside the chroot, where the copy is not laid over anything.
// The holder's root, the chroot's directory inside the namespace, is taken back.
ProcessResult ScratchNamespace::run(const QString &program, const QStringList &arguments) const
{
    const int descriptor = namespace_descriptor;
    const int root = root_descriptor;
    return run_prepared_process(program, arguments, {QStringLiteral("_SKIP_SYSTEMD_NATIVE=1")}, [descriptor, root] {
        if (::setns(descriptor, CLONE_NEWNS) != 0 || ::fchdir(root) != 0 || ::chroot(".") != 0)
            ::_exit(126);
    });
}
