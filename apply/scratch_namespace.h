#pragma once

#include "apply/process_runner.h"

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

// A scratch copy of the boot configuration under root (the scripts, the
// overrides, insserv's configuration and the runlevel directories), laid over
// the real paths in a private mount namespace. Programs run inside it see the
// copy where the machine's files are and change only the copy; the machine
// never sees the namespace, which ends with this object.
class ScratchNamespace
{
public:
    explicit ScratchNamespace(const QString &root);
    ~ScratchNamespace();
    ScratchNamespace(const ScratchNamespace &) = delete;
    ScratchNamespace &operator=(const ScratchNamespace &) = delete;

    // Empty when the copy stands in place; else why it could not be made.
    QString problem() const { return failure; }
    // Where the copy lies, laid out as the machine's root is.
    QString copy_root() const { return scratch.path(); }
    // Runs a program inside the namespace, without systemd's part of update-rc.d.
    ProcessResult run(const QString &program, const QStringList &arguments) const;

private:
    bool copy(const QString &root, const QStringList &paths);
    bool lay_over(const QString &root, const QStringList &paths);

    QTemporaryDir scratch;
    // The process that holds the namespace: it lives until keep_alive closes.
    pid_t holder = -1;
    int keep_alive = -1;
    int namespace_descriptor = -1; // the holder's mount namespace, for the programs run in it
    int root_descriptor = -1;      // the holder's root directory in it
    QString failure;
};
