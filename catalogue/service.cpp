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
    const int first = line.indexOf(QLatin1Char(':'));
    const int second = first < 0 ? -1 : line.indexOf(QLatin1Char(':'), first + 1);
    const int third = second < 0 ? -1 : line.indexOf(QLatin1Char(':'), second + 1);
    if (third < 0)
        return *this;

    type = QStringView(line).mid(0, first) == QLatin1String("S") ? Start : Kill;
    sequence = QStringView(line).mid(first + 1, second - first - 1).toUShort(nullptr, 10);
    runlevels = line.mid(second + 1, third - second - 1).split(QLatin1Char(' '), Qt::KeepEmptyParts);
    name = line.mid(third + 1);
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
