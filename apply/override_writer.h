#pragma once

#include "catalogue/service_info.h"

#include <QDir>
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

QStringList override_lines(const HeaderLines &source, QVariant payload, FieldTransformer transformer,
                           ExtraLinesProvider leading, ExtraLinesProvider trailing);
QByteArray override_content(const QStringList &lines);
QStringList content_lines(const QByteArray &content);
bool write_override_content(const QString &name, const QByteArray &content);
// The same in another overrides directory, such as a rehearsal's copy.
bool write_override_content(const QDir &directory, const QString &name, const QByteArray &content);
bool delete_override_file(const QDir &directory, const QString &name);

bool write_override(Service service, QVariant payload, FieldTransformer transformer, ExtraLinesProvider leading,
                    ExtraLinesProvider trailing);
bool store_override(Service service, QStringList lines);
bool remove_override(Service service);
bool override_exists(Service service);
QString header_line(QString name, QString value);

QString override_level(QVariant payload, QString name, QString value);
// The payload of a level change of a header, and the field it adds when the
// header lacks the field the level must join.
QVariantMap level_payload(const HeaderLines &source, const QString &level, const QString &value);
HeaderPairs missing_level_field(QVariant payload);
QString remove_deps(QVariant payload, QString name, QString value);
HeaderPairs add_deps(QVariant payload);
