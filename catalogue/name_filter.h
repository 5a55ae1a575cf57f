#pragma once

#include <QByteArray>
#include <QRegExp>
#include <QString>

// One name filter of a QDir. QDir matches it as a QRegExp wildcard, ignoring
// case unless told otherwise, which costs thousands of instructions a name. On
// names of ASCII characters only, fnmatch(3) with the same case rule gives the
// same answers for the runlevel directories' filter (compared on every name of
// up to four characters) at a fraction of the cost; other names, and filters
// that are not plain ASCII, are matched the way QDir does.
class NameFilter
{
public:
    NameFilter(const QString &filter, Qt::CaseSensitivity sensitivity);

    // A name as the directory holds it, encoded as file names are.
    bool accepts(const char *encoded_name);

private:
    QRegExp wildcard;
    QByteArray ascii_filter; // empty when the filter is not plain ASCII
    int flags = 0;
};
