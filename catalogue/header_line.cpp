#include "catalogue/header_line.h"

#include <algorithm>

namespace {

// "\s" of the patterns: no Unicode white space beyond ASCII.
bool is_blank(QChar character)
{
    const ushort code = character.unicode();
    return code == ' ' || (code >= '\t' && code <= '\r');
}

int skip_blanks(const QString &line, int position)
{
    while (position < line.size() && is_blank(line.at(position)))
        ++position;
    return position;
}

} // namespace

bool is_marker_line(const QString &line, QLatin1String word)
{
    if (!line.startsWith(QLatin1String("###")) || line.size() < 4 || !is_blank(line.at(3)))
        return false;
    const int start = skip_blanks(line, 4);
    if (!QStringView(line).mid(start).startsWith(word))
        return false;
    return skip_blanks(line, start + word.size()) == line.size();
}

// The blanks after "#" are as many as leave the name at least one character:
// when only blanks come before the colon, the last of them is the name.
bool split_field_line(const QString &line, QString &name, QString &value)
{
    if (line.size() < 2 || line.at(0) != QLatin1Char('#') || !is_blank(line.at(1)))
        return false;
    const int colon = line.indexOf(QLatin1Char(':'), 2);
    if (colon < 0)
        return false;
    const int name_start = std::min(skip_blanks(line, 1), colon - 1);
    if (name_start < 2)
        return false;
    name = line.mid(name_start, colon - name_start);
    value = line.mid(colon + 1).trimmed();
    return true;
}

bool split_comment_line(const QString &line, QString &text)
{
    if (!line.startsWith(QLatin1Char('#')))
        return false;
    text = line.mid(1).trimmed();
    return true;
}
