#include "table/service_table.h"

void ServiceTable::run_insserv(const Service &, const QString &, const QString &, bool, bool)
{
}

void ServiceTable::run_changes(const ChangeMap &, bool, bool)
{
}

void ServiceTable::apply_changes()
{
}

void ServiceTable::reset_services_defaults()
{
}
