#include "apply/configuration_restore.h"

#include "apply/override_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <unistd.h>

namespace {

QString link_path(const QString &root, const RunlevelLink &link)
{
    return root + QStringLiteral("/etc/rc%1.d/%2").arg(link.runlevel, link.name);
}

bool make_link(const QString &root, const RunlevelLink &link)
{
    return !link.target.isEmpty()
        && ::symlink(QFile::encodeName(link.target).constData(), QFile::encodeName(link_path(root, link)).constData())
        == 0;
}

void restore_links(const QList<RunlevelLink> &before, const QList<RunlevelLink> &now, const QString &root)
{
    for (const RunlevelLink &link : now) {
        if (!before.contains(link))
            QFile::remove(link_path(root, link));
    }
    for (const RunlevelLink &link : before) {
        if (!now.contains(link))
            make_link(root, link);
    }
}

void restore_generated(const BootConfiguration &before, const BootConfiguration &now, const QString &root)
{
    const QDir scripts(root + QStringLiteral("/etc/init.d"));
    for (auto file = now.generated.cbegin(); file != now.generated.cend(); ++file) {
        if (!before.generated.contains(file.key()))
            QFile::remove(scripts.filePath(file.key()));
    }
    for (auto file = before.generated.cbegin(); file != before.generated.cend(); ++file) {
        if (now.generated.value(file.key()) == file.value())
            continue;
        QSaveFile saved(scripts.filePath(file.key()));
        if (saved.open(QIODevice::WriteOnly) && saved.write(file.value()) == file.value().size())
            saved.commit();
    }
}

bool restore_override(const BootConfiguration &before, const QDir &overrides, const QString &service)
{
    const auto old = before.overrides.constFind(service);
    return old == before.overrides.cend() ? delete_override_file(overrides, service)
                                          : write_override_content(overrides, service, old.value());
}

QStringList link_names(const QList<RunlevelLink> &links)
{
    QStringList names;
    for (const RunlevelLink &link : links)
        names.append(link.text());
    return names;
}

// What still differs of one service, in words; empty when nothing does.
QString difference(const BootConfiguration &before, const BootConfiguration &after, const QString &service)
{
    QStringList parts;
    const QList<RunlevelLink> old_links = before.links.value(service), links = after.links.value(service);
    QList<RunlevelLink> missing, extra;
    for (const RunlevelLink &link : old_links) {
        if (!links.contains(link))
            missing.append(link);
    }
    for (const RunlevelLink &link : links) {
        if (!old_links.contains(link))
            extra.append(link);
    }
    if (!missing.isEmpty())
        parts.append(QCoreApplication::translate("ServiceTable", "missing %1")
                         .arg(link_names(missing).join(QStringLiteral(", "))));
    if (!extra.isEmpty())
        parts.append(
            QCoreApplication::translate("ServiceTable", "left %1").arg(link_names(extra).join(QStringLiteral(", "))));
    if (before.overrides.contains(service) != after.overrides.contains(service)
        || before.overrides.value(service) != after.overrides.value(service))
        parts.append(QCoreApplication::translate("ServiceTable", "its override differs"));
    return parts.join(QStringLiteral("; "));
}

} // namespace

bool restore_service_links(const QString &root, const QString &service, const QList<RunlevelLink> &links)
{
    restore_links(links, read_boot_configuration(root).links.value(service), root);
    QStringList wanted = link_names(links), found = link_names(read_boot_configuration(root).links.value(service));
    wanted.sort();
    found.sort();
    return wanted == found;
}

bool restore_dependency_files(const QString &root, const QMap<QString, QByteArray> &files)
{
    BootConfiguration wanted;
    wanted.generated = files;
    restore_generated(wanted, read_boot_configuration(root), root);
    return read_boot_configuration(root).generated == files;
}

RestoreReport restore_configuration(const BootConfiguration &before, const QString &root,
                                    const QStringList &override_services)
{
    const BootConfiguration now = read_boot_configuration(root);
    QStringList services = changed_services(before, now);
    for (const QString &service : override_services) {
        if (!services.contains(service))
            services.append(service);
    }
    const QDir overrides(root + QStringLiteral("/etc/insserv/overrides"));
    for (const QString &service : services) {
        restore_links(before.links.value(service), now.links.value(service), root);
        if (override_services.contains(service))
            restore_override(before, overrides, service);
    }
    restore_generated(before, now, root);

    const BootConfiguration after = read_boot_configuration(root);
    RestoreReport report;
    services.sort();
    for (const QString &service : services) {
        const QString left = difference(before, after, service);
        if (left.isEmpty())
            report.restored.append(service);
        else
            report.not_restored.append(QStringLiteral("%1: %2").arg(service, left));
    }
    return report;
}
