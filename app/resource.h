#pragma once

#include <QIcon>
#include <QMap>
#include <QString>

// Icons of the desktop theme, looked up by the logical names the program uses.
class Resource
{
public:
    static Resource &instance();

    QIcon icon(const QString &logical_name) const;

private:
    Resource();

    QMap<QString, QIcon> icons;
};
