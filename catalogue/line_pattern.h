#pragma once

#include <QRegularExpression>
#include <QString>

// A pattern matched against a whole line, its end-of-line characters included.
// Quantifiers are greedy from the left, so "#  see also: x" names "see also".
// Compiling is the expensive part: keep one instance per pattern and reuse it.
class LinePattern
{
public:
    explicit LinePattern(const QString &pattern);

    QRegularExpressionMatch match(const QString &line) const { return expression.match(line); }

private:
    QRegularExpression expression;
};
