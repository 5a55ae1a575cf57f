#include "catalogue/line_pattern.h"

LinePattern::LinePattern(const QString &pattern)
    : expression(QRegularExpression::anchoredPattern(pattern), QRegularExpression::DotMatchesEverythingOption)
{
}

bool LinePattern::match(const QString &line)
{
    last = expression.match(line);
    return last.hasMatch();
}
