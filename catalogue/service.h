#pragma once

#include <QString>
#include <QStringList>

class ServiceInfo;

// A service (an init script) or a virtual facility (a name beginning with "$").
// Equality and hashing use the name alone; the ordering puts linked records first.
class Service
{
public:
    enum Type : qint32 { Unset = 0, Start = 1, Kill = 2 };

    Service() = default;
    explicit Service(const QString &name);

    bool is_virtual() const;
    QStringList provided_names() const;

    Service &parse_insserv_line(const QString &line);
    void load_provides();
    // The same from a header already read, so that a caller reads each file once.
    void load_provides(const ServiceInfo &header);

    bool operator==(const Service &other) const;
    bool operator!=(const Service &other) const { return !(*this == other); }
    bool operator<(const Service &other) const;

    QString name;
    Type type = Unset;
    quint16 sequence = 0;
    QStringList runlevels;
    bool linked = false;
    bool optional = false;
    QStringList provides;
};

uint qHash(const Service &service, uint seed = 0);
