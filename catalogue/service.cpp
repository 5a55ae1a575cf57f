#include "catalogue/service.h"

#include "catalogue/service_info.h"

#include <QHash>

Service::Service(const QString &name)
    : name(name)
{
    if (this->name.startsWith(QLatin1Char('+'))) {
        this->name.remove(0, 1);
        optional = true;
    }
}

bool Service::is_virtual() const
{
    return name.startsWith(QLatin1Char('$'));
}

QStringList Service::provided_names() const
{
    return provides.isEmpty() ? QStringList{name} : provides;
}

// A line with fewer than four fields does not come from the listing format. It is
// left untouched, so the record keeps type Unset: the loader skips such records.
Service &Service::parse_insserv_line(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    if (fields.size() < 4)
        return *this;

    type = fields.at(0) == QLatin1String("S") ? Start : Kill;
    sequence = fields.at(1).toUShort(nullptr, 10);
    runlevels = fields.at(2).split(QLatin1Char(' '), Qt::KeepEmptyParts);
    name = line.section(QLatin1Char(':'), 3);
    while (name.endsWith(QLatin1Char('\n')) || name.endsWith(QLatin1Char('\r')))
        name.chop(1);
    return *this;
}

void Service::load_provides()
{
    load_provides(ServiceInfo(name));
}

void Service::load_provides(const ServiceInfo &header)
{
    if (header.valid)
        provides = header.field(QStringLiteral("Provides")).split(QLatin1Char(' '), Qt::KeepEmptyParts);
}

bool Service::operator==(const Service &other) const
{
    return name == other.name;
}

bool Service::operator<(const Service &other) const
{
    if (linked != other.linked)
        return linked;
    if (linked && sequence != other.sequence)
        return sequence < other.sequence;
    return QString::localeAwareCompare(name, other.name) < 0;
}

uint qHash(const Service &service, uint seed)
{
    return qHash(service.name, seed);
}
