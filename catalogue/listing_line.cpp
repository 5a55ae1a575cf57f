#include "catalogue/listing_line.h"

#include "catalogue/service.h"
#include "catalogue/system_paths.h"

#include <QStringView>

bool is_listing_line(const QString &line)
{
    // Found without splitting: a table reads two lines a service.
    const int first = line.indexOf(QLatin1Char(':'));
    const int second = first < 0 ? -1 : line.indexOf(QLatin1Char(':'), first + 1);
    if (second < 0 || line.indexOf(QLatin1Char(':'), second + 1) < 0)
        return false;
    const QStringView sequence = QStringView(line).mid(first + 1, second - first - 1);
    if (sequence.isEmpty() || sequence.size() > 2)
        return false;
    for (const QChar digit : sequence) {
        if (digit < QLatin1Char('0') || digit > QLatin1Char('9'))
            return false;
    }
    return is_plain_file_name(Service().parse_insserv_line(line).name);
}
