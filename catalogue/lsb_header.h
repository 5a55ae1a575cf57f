#pragma once

#include <QStringList>

// The header fields that are not informational: they are edited, not shown.
class LSBHeader
{
public:
    static const QStringList ignored_fields;
};
