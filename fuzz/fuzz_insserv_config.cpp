#include "catalogue/insserv_config.h"
#include "fuzz/fuzz_root.h"

#include <QSet>

// The input up to its first 0xff byte is a file of /etc/insserv.conf.d, the
// rest /etc/insserv.conf; every facility they define is then expanded.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = input_bytes(data, size);
    const int cut = bytes.indexOf('\xff');
    FuzzRoot &root = FuzzRoot::instance();
    root.write(QStringLiteral("etc/insserv.conf.d/extra"), cut < 0 ? QByteArray() : bytes.left(cut));
    root.write(QStringLiteral("etc/insserv.conf"), cut < 0 ? bytes : bytes.mid(cut + 1));
    ServiceInfo::_virtual_facilities.clear();

    const FacilityMap facilities = ServiceInfo::virtual_facilities();
    if (ServiceInfo::virtual_facility_names().size() != facilities.size())
        FuzzRoot::fail("facility names and facilities differ in number");
    int members = 0;
    for (const Service &facility : facilities.uniqueKeys())
        members += facilities.value(facility).size();
    for (const Service &facility : facilities.uniqueKeys()) {
        QList<Service> output;
        expand_facility(output, facility);
        // Each facility is expanded at most once per call, whatever the definitions.
        if (output.size() > members + 1)
            FuzzRoot::fail("an expansion longer than all definitions together");
        for (const Service &service : output) {
            if (service.is_virtual() && facilities.contains(service))
                FuzzRoot::fail("a defined facility left unexpanded");
        }
    }
    return 0;
}
