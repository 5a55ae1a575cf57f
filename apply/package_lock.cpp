#include "apply/package_lock.h"

#include "catalogue/system_paths.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct flock whole_file(short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

// Closing any descriptor of a file drops every fcntl lock this process holds
// on it: never called on the file the program itself holds.
bool held_by_another(const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0)
        return false;
    struct flock probe = whole_file(F_WRLCK);
    const bool held = ::fcntl(descriptor, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(descriptor);
    return held;
}

} // namespace

bool PackageLock::package_manager_running()
{
    return held_by_another(dpkg_frontend_lock_path()) || held_by_another(dpkg_lock_path());
}

// dpkg and apt create the lock file when it is missing, with these
// permissions. One that cannot be opened at all (a read-only /var) cannot be
// taken by them either.
bool PackageLock::take()
{
    if (frontend >= 0)
        return true;
    const QString path = dpkg_frontend_lock_path();
    if (!QFileInfo(QFileInfo(path).path()).isDir())
        return true;
    frontend = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0640);
    if (frontend < 0)
        return !package_manager_running();
    struct flock lock = whole_file(F_WRLCK);
    if (::fcntl(frontend, F_SETLK, &lock) != 0 || held_by_another(dpkg_lock_path())) {
        release();
        return false;
    }
    return true;
}

void PackageLock::release()
{
    if (frontend >= 0)
        ::close(frontend);
    frontend = -1;
}
