#pragma once

#include "catalogue/dependency_graph.h"
#include "catalogue/service_info.h"

// The virtual facilities of the insserv configuration ("$local_fs" and the like).
QStringList insserv_config_files();
FacilityMap read_insserv_config(const QString &path);
void expand_facility(QList<Service> &output, const Service &service);
// Every facility definition of the configuration files, each with the file
// that holds it as the machine names it ("/etc/insserv.conf").
QList<FacilityDefinition> facility_definitions();
