#include "catalogue/line_pattern.h"

LinePattern::LinePattern(const QString &pattern)
    : expression(QRegularExpression::anchoredPattern(pattern), QRegularExpression::DotMatchesEverythingOption)
{
    expression.optimize();
}
