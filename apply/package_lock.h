#pragma once

// The locks of Debian's package manager, as its frontends take them: fcntl
// write locks on the whole of /var/lib/dpkg/lock-frontend (apt and the other
// frontends) and /var/lib/dpkg/lock (dpkg itself). While either is held,
// packages are being installed or removed, and their maintainer scripts run
// update-rc.d and insserv themselves: an apply must not interleave with them.
class PackageLock
{
public:
    PackageLock() = default;
    ~PackageLock() { release(); }
    PackageLock(const PackageLock &) = delete;
    PackageLock &operator=(const PackageLock &) = delete;

    // Whether another process holds either lock now; takes none.
    static bool package_manager_running();

    // Takes the frontend lock, so that apt and dpkg wait until it is released,
    // as they wait for each other. False, holding nothing, while the package
    // manager holds either lock. Without dpkg's directory there is nothing to
    // wait for, and it is true.
    bool take();
    void release();

private:
    int frontend = -1;
};
