#include "apply/scratch_namespace.h"

#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Binds each copied path over the machine's, checks that the machine's path
// now is the copy, says so, and keeps the namespace alive until its standard
// input closes: when this program ends, whichever way, so does the namespace.
const char *const holder_script = R"sh(set -e
scratch=$1 root=$2
shift 2
for path; do
    mount --bind "$scratch$path" "$root$path"
    [ "$(stat -L -c %d:%i "$root$path")" = "$(stat -L -c %d:%i "$scratch$path")" ]
done
echo ready
exec cat >/dev/null
)sh";

} // namespace

ScratchNamespace::ScratchNamespace(const QString &root)
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
    if (holder.state() == QProcess::NotRunning)
        return;
    holder.closeWriteChannel();
    if (!holder.waitForFinished(process_timeout()))
        holder.kill();
    holder.waitForFinished(process_timeout());
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
        failure = QCoreApplication::translate("ServiceTable", "The boot configuration could not be copied: %1").arg(utf8_up_to_nul(copied.error_output));
    return failure.isEmpty();
}

bool ScratchNamespace::lay_over(const QString &root, const QStringList &paths)
{
    holder.start(QStringLiteral("unshare"),
                 QStringList{QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"),
                             QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                             QString::fromLatin1(holder_script), QStringLiteral("sh"), scratch.path(), root}
                     + paths);
    if (!holder.waitForStarted(process_timeout())) {
        failure = QCoreApplication::translate("ServiceTable", "No private mount namespace: %1").arg(holder.errorString());
        return false;
    }
    const bool ready = holder.waitForReadyRead(process_timeout()) && holder.readLine().trimmed() == "ready";
    if (!ready) {
        holder.waitForFinished(process_timeout());
        failure = QCoreApplication::translate("ServiceTable", "No private mount namespace: %1").arg(utf8_up_to_nul(holder.readAllStandardError()).trimmed());
    }
    return ready;
}

ProcessResult ScratchNamespace::run(const QString &program, const QStringList &arguments) const
{
    return run_process(QStringLiteral("nsenter"),
                       QStringList{QStringLiteral("--target"), QString::number(holder.processId()),
                                   QStringLiteral("--mount"), QStringLiteral("--"), QStringLiteral("env"),
                                   QStringLiteral("_SKIP_SYSTEMD_NATIVE=1"), program}
                           + arguments);
}
