#pragma once

#include "catalogue/service.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

// Overrides are rewritten copies of a service's LSB block in
// "/etc/insserv/overrides"; insserv reads them in place of the script's block.
// Callers rewrite the block through plain-function callbacks.
using HeaderPairs = QList<QPair<QString, QString>>;
using FieldTransformer = QString (*)(QVariant payload, QString name, QString value);
using ExtraLinesProvider = HeaderPairs (*)(QVariant payload);

bool write_override(Service service, QVariant payload, FieldTransformer transformer, ExtraLinesProvider leading,
                    ExtraLinesProvider trailing);
bool store_override(Service service, QStringList lines);
bool remove_override(Service service);
bool override_exists(Service service);
QString header_line(QString name, QString value);

QString override_level(QVariant payload, QString name, QString value);
QString remove_deps(QVariant payload, QString name, QString value);
HeaderPairs add_deps(QVariant payload);
