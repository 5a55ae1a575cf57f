#include "catalogue/listing_line.h"
#include "catalogue/service.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"
#include "fuzz/fuzz_root.h"

// One line of the listing of "insserv -s", parsed as the table loader does.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = utf8_up_to_nul(input_bytes(data, size));
    Service service;
    service.parse_insserv_line(line);
    if (!is_listing_line(line))
        return 0;
    // What the table relies on for every line it accepts.
    if (service.type == Service::Unset)
        FuzzRoot::fail("an accepted line gives no record");
    if (service.sequence > 99)
        FuzzRoot::fail("an accepted line has a sequence number past two digits");
    if (!is_plain_file_name(service.name) || service.name.endsWith(QLatin1Char('\n')))
        FuzzRoot::fail("an accepted line names no file");
    return 0;
}
