#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

// One name filter of a QDir. QDir matches it as a wildcard expression, ignoring
// case unless told otherwise, which costs thousands of instructions a name.
// A filter made of ASCII characters, "?", "*" and sets of characters and
// ranges is matched here by hand on names of ASCII characters, with the same
// answers (compared with Qt's wildcard matching, the runlevel directories'
// filter among others, on every ASCII name of up to three characters and on
// millions of four); other filters and names are matched as wildcards by
// QRegularExpression, the way Qt 6's QDir does.
class NameFilter
{
public:
    NameFilter(const QString &filter, Qt::CaseSensitivity sensitivity);

    // A name as the directory holds it, encoded as file names are.
    bool accepts(const char *encoded_name);

private:
    QRegularExpression wildcard;
    QByteArray simple_filter; // empty when the filter is not a simple one
    bool fold_case = false;
};
