#include "catalogue/lsb_dependency.h"

const QStringList LSBDependency::keywords = {
    QStringLiteral("Required-Start"), QStringLiteral("Required-Stop"),
    QStringLiteral("Should-Start"),   QStringLiteral("Should-Stop"),
    QStringLiteral("X-Start-Before"), QStringLiteral("X-Stop-After"),
};

LSBDependency::LSBDependency(const QString &keyword, const Service &service)
    : Service(service)
    , keyword(keyword)
{
}
