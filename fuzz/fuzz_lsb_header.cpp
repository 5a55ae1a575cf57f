#include "catalogue/service_info.h"
#include "fuzz/fuzz_root.h"

// A whole file's bytes as the init script of one service, read as its header.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzRoot::instance().write(QStringLiteral("etc/init.d/svc"), input_bytes(data, size));
    const ServiceInfo info(QStringLiteral("svc"));

    int field_lines = 0;
    for (const auto &line : info.lines) {
        if (!line.first.isNull())
            ++field_lines;
        if (line.second != line.second.trimmed())
            FuzzRoot::fail("a value keeps surrounding blanks");
    }
    if (info.fields.size() + info.dependencies.size() > field_lines)
        FuzzRoot::fail("more fields than field lines");
    for (const auto &field : info.dependencies) {
        if (!LSBDependency::keywords.contains(field.first))
            FuzzRoot::fail("a dependency field that is no dependency keyword");
        for (const LSBDependency &dependency : field.second) {
            if (dependency.keyword != field.first)
                FuzzRoot::fail("a dependency listed under another keyword");
        }
    }
    Service service(QStringLiteral("svc"));
    service.load_provides();
    if (service.provided_names().isEmpty())
        FuzzRoot::fail("a service that provides nothing, not even its name");
    return 0;
}
