#pragma once

#include <QIcon>
#include <QMap>
#include <QString>

// Icons looked up by the logical names the program uses: from the desktop's
// icon theme, or from the program's own set where the theme lacks one.
class Resource
{
public:
    static Resource &instance();

    QIcon icon(const QString &logical_name) const;

private:
    Resource();

    QMap<QString, QIcon> icons;
};
