#pragma once

#include "catalogue/boot_configuration.h"

#include <QStringList>

struct RestoreReport
{
    QStringList restored;     // services whose links and override read back as before
    QStringList not_restored; // the others, each with what is still different
};

// Brings the configuration under root back to before, exactly: every link that
// differs is removed or made again as a symbolic link with its old target,
// insserv's dependency files get their old bytes, and the overrides of the
// given services their old bytes or their absence. Then it reads the result
// back and reports, service by service, what is as before and what is not.
RestoreReport restore_configuration(const BootConfiguration &before, const QString &root,
                                    const QStringList &override_services);

// The links of one service under root made exactly these, names and targets;
// true when they read back so.
bool restore_service_links(const QString &root, const QString &service, const QList<RunlevelLink> &links);

// insserv's dependency files beside the scripts under root made exactly these
// (a file not among them removed); true when they read back so.
bool restore_dependency_files(const QString &root, const QMap<QString, QByteArray> &files);
