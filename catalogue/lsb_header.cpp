#include "catalogue/lsb_header.h"

const QStringList LSBHeader::ignored_fields = {
    QStringLiteral("Default-Start"),  QStringLiteral("Default-Stop"),
    QStringLiteral("Required-Start"), QStringLiteral("Required-Stop"),
    QStringLiteral("Should-Start"),   QStringLiteral("Should-Stop"),
    QStringLiteral("X-Start-Before"), QStringLiteral("X-Stop-After"),
};
