#include "table/service_table.h"

void ServiceTable::edit_service(QTableWidgetItem *)
{
}
