#pragma once

#include <QString>

// Whether a line of the listing of "insserv -s" describes a service: four
// ":"-separated fields, a sequence number of one or two digits, and a name
// that is a plain file name. insserv never prints anything else; a line that
// breaks the format would otherwise give a row without a service behind it,
// or order numbers past the two digits the table is built for.
bool is_listing_line(const QString &line);
