#include "catalogue/name_filter.h"

#include <algorithm>

namespace {

bool ascii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar character) { return character.unicode() < 0x80; });
}

QRegularExpression::PatternOptions options(Qt::CaseSensitivity sensitivity)
{
    return sensitivity == Qt::CaseSensitive ? QRegularExpression::NoPatternOption
                                            : QRegularExpression::CaseInsensitiveOption;
}

} // namespace

NameFilter::NameFilter(const QString &filter, Qt::CaseSensitivity sensitivity)
    : wildcard(filter, sensitivity, QRegExp::Wildcard)
    , expression(QRegularExpression::wildcardToRegularExpression(filter), options(sensitivity))
{
}

bool NameFilter::accepts(const QString &name)
{
    return ascii(name) ? expression.match(name).hasMatch() : wildcard.exactMatch(name);
}
