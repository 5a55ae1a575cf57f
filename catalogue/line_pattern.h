#pragma once

#include <QRegularExpression>
#include <QString>

// A pattern matched against a whole line, its end-of-line characters included.
// Quantifiers are greedy from the left, so "#  see also: x" names "see also".
class LinePattern
{
public:
    explicit LinePattern(const QString &pattern);

    bool match(const QString &line);
    QString cap(int number) const { return last.captured(number); }

private:
    QRegularExpression expression;
    QRegularExpressionMatch last;
};
