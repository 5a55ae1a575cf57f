#include "apply/override_writer.h"
#include "catalogue/service_info.h"
#include "fuzz/fuzz_root.h"

namespace {

QStringList dependency_texts(const ServiceInfo &info)
{
    QStringList texts;
    for (const auto &field : info.dependencies) {
        for (const LSBDependency &dependency : field.second)
            texts.append(QStringLiteral("%1 %2%3").arg(dependency.keyword, dependency.optional ? "+" : "",
                                                       dependency.name));
    }
    return texts;
}

} // namespace

// A script's header written back as an override with no transformer and read
// again: what was read must come back, every field and dependency in its place.
// Values were already trimmed on the first read, so nothing may differ at all.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzRoot &root = FuzzRoot::instance();
    root.remove(QStringLiteral("etc/insserv/overrides/svc"));
    root.write(QStringLiteral("etc/init.d/svc"), input_bytes(data, size));
    const ServiceInfo before(QStringLiteral("svc"));
    if (!write_override(Service(QStringLiteral("svc")), QVariant(), nullptr, nullptr, nullptr))
        FuzzRoot::fail("the override was not written");
    const ServiceInfo after(QStringLiteral("svc"));

    if (!after.valid)
        FuzzRoot::fail("the override has no end line");
    if (after.lines != before.lines)
        FuzzRoot::fail("the header lines changed");
    if (after.fields != before.fields)
        FuzzRoot::fail("the informational fields changed");
    if (dependency_texts(after) != dependency_texts(before))
        FuzzRoot::fail("the dependencies changed");
    return 0;
}
