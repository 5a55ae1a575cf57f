#include "table/service_table.h"

#include "apply/insserv_error.h"
#include "apply/override_writer.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"

#include <QProcess>

// A runlevel change only rewrites the override; a change of the whole service
// is one insserv run.
void ServiceTable::run_insserv(const Service &service, const QString &level, const QString &value, bool force,
                               bool dryrun)
{
    if (!level.isEmpty()) {
        const QVariantMap payload{{QStringLiteral("level"), level}, {QStringLiteral("value"), value}};
        if (!write_override(service, payload, override_level, nullptr, nullptr))
            throw InsservError(tr("Error while creating override file"));
        return;
    }

    QStringList arguments;
    if (value != QLatin1String("S"))
        arguments.append(QStringLiteral("--remove"));
    if (force)
        arguments.append(QStringLiteral("--force"));
    if (dryrun)
        arguments.append(QStringLiteral("--dryrun"));
    arguments.append(service.name);

    QProcess insserv;
    insserv.start(insserv_program(), arguments, QIODevice::ReadOnly);
    if (!insserv.waitForStarted(process_timeout()) || !insserv.waitForFinished(process_timeout()))
        throw InsservError(QStringLiteral("insserv error"), service);
    const QString errors = utf8_up_to_nul(insserv.readAllStandardError());
    if (insserv.exitStatus() != QProcess::NormalExit || insserv.exitCode() != 0)
        throw InsservError(errors, service);
}

void ServiceTable::run_changes(const ChangeMap &, bool, bool)
{
}

void ServiceTable::apply_changes()
{
}

void ServiceTable::reset_services_defaults()
{
}
