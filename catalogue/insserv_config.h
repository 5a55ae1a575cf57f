#pragma once

#include "catalogue/service_info.h"

// The virtual facilities of the insserv configuration ("$local_fs" and the like).
QStringList insserv_config_files();
FacilityMap read_insserv_config(const QString &path);
void expand_facility(QList<Service> &output, const Service &service);
