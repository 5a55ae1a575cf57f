#include "apply/etckeeper.h"

#include "apply/process_runner.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// Its configuration lives in the /etc it keeps.
ProcessResult run_etckeeper(const QString &command, const QStringList &arguments = {})
{
    return run_prepared_process(etckeeper_program(), QStringList{command, QStringLiteral("-d"), etc_path()} + arguments,
                                {QStringLiteral("ETCKEEPER_CONF_DIR=%1/etckeeper").arg(etc_path())}, {});
}

QString failure(const ProcessResult &result)
{
    const QString reason = utf8_up_to_nul(result.error_output).trimmed();
    if (!result.finished)
        return QCoreApplication::translate("ServiceTable", "it did not finish in time");
    return reason.isEmpty() ? QCoreApplication::translate("ServiceTable", "exit status %1").arg(result.exit_code)
                            : reason;
}

} // namespace

namespace etckeeper {

bool keeps_etc()
{
    const QFileInfo program(etckeeper_program());
    return program.isFile() && program.isExecutable() && QFileInfo::exists(etckeeper_marker_path());
}

QString commit_uncommitted()
{
    return commit(QStringLiteral("saving uncommitted changes in /etc prior to vorn-admin-runlevel run"));
}

// "unclean" exits with 0 where there is something to commit, as in its own hooks.
QString commit(const QString &message)
{
    if (!run_etckeeper(QStringLiteral("unclean")).succeeded())
        return QString();
    const ProcessResult result = run_etckeeper(QStringLiteral("commit"), {message});
    return result.succeeded() ? QString() : failure(result);
}

} // namespace etckeeper
