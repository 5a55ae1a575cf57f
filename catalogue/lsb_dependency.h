#pragma once

#include "catalogue/service.h"

// One entry of a dependency field of an LSB header, with the field it was listed under.
class LSBDependency : public Service
{
public:
    LSBDependency() = default;
    LSBDependency(const QString &keyword, const Service &service);

    QString keyword;

    static const QStringList keywords;
};
