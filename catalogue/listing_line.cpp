#include "catalogue/listing_line.h"

#include "catalogue/service.h"
#include "catalogue/system_paths.h"

#include <QStringList>

bool is_listing_line(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    if (fields.size() < 4)
        return false;
    const QString &sequence = fields.at(1);
    if (sequence.isEmpty() || sequence.size() > 2)
        return false;
    for (const QChar digit : sequence) {
        if (digit < QLatin1Char('0') || digit > QLatin1Char('9'))
            return false;
    }
    return is_plain_file_name(Service().parse_insserv_line(line).name);
}
