#pragma once

#include "catalogue/service.h"

#include <QMap>
#include <QPair>
#include <QString>

// Changes of the boot configuration: (service, runlevel) to the new mark "S",
// "K" or "" there, or (service, "") to "S" (enable) or "K" (disable).
using ChangeKey = QPair<Service, QString>;
using ChangeMap = QMap<ChangeKey, QString>;
