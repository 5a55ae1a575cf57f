#pragma once

#include <QRegExp>
#include <QRegularExpression>
#include <QString>

// One name filter of a QDir. QDir matches it as a QRegExp wildcard, ignoring
// case unless told otherwise, which costs several thousand instructions a name.
// A compiled expression gives the same answers for the runlevel directories'
// filter on plain ASCII names, which are nearly all of them; other names are
// matched the way QDir does.
class NameFilter
{
public:
    NameFilter(const QString &filter, Qt::CaseSensitivity sensitivity);

    bool accepts(const QString &name);

private:
    QRegExp wildcard;
    QRegularExpression expression;
};
