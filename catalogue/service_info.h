#pragma once

#include "catalogue/lsb_dependency.h"

#include <QList>
#include <QMultiMap>
#include <QPair>
#include <QString>

using HeaderLines = QList<QPair<QString, QString>>;
using FacilityMap = QMultiMap<Service, QList<Service>>;

class HeaderFile;
class HeaderSources;

// The LSB init-info header of one service, read from its override when there is
// one and from its init script otherwise. Built whole by the constructor.
class ServiceInfo
{
public:
    explicit ServiceInfo(const QString &name);
    // The same, with what one reading of the two directories found: for reading
    // many headers in a row.
    ServiceInfo(const QString &name, const HeaderSources &sources);

    // The header held by content, as if it were the service's file.
    static ServiceInfo from_content(const QString &name, const QByteArray &content);

    QString field(const QString &name) const;

    static FacilityMap virtual_facilities();
    static QStringList virtual_facility_names();

    QString name;
    bool valid = false;
    HeaderLines lines;
    HeaderLines fields;
    QList<QPair<QString, QList<LSBDependency>>> dependencies;

    // Filled on first use from the insserv configuration; several values per key.
    static FacilityMap _virtual_facilities;

private:
    void read(HeaderFile &file);
    void add_field_line(const QString &field, const QString &value);
    void add_continuation_line(const QString &text);
};
