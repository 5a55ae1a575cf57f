#include "bench/boot_order_bench.h"

#include "bench/measure.h"
#include "dependencies/boot_order_view.h"
#include "dependencies/boot_order_window.h"
#include "table/service_table.h"

#include <QTest>

#include <algorithm>

namespace {

const int repetitions = 7;

} // namespace

void measure_boot_order(int size)
{
    Timings open, draw, select;
    for (int i = 0; i < repetitions; ++i) {
        // A table of its own each time: the graph is built on first use.
        ServiceTable fresh;
        if (!fresh.load())
            qFatal("the table did not load");
        BootOrderWindow window(nullptr);
        window.resize(1280, 800);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the boot order window did not show");
        open.time([&] { window.show_table(&fresh); });
        window.show_runlevel(QStringLiteral("3"));
        QCoreApplication::processEvents();
        draw.time([&] { window.show_runlevel(QStringLiteral("2")); });
        if (window.today_view()->drawn_columns().isEmpty())
            qFatal("runlevel 2 was drawn empty");
        // Services spread over the picture, each selected with what it waits for and what waits for it.
        const BootOrder &shown = window.today_view()->order();
        for (int step = 0; step < shown.steps.size(); step += std::max(1, int(shown.steps.size()) / 5)) {
            const QString service = shown.steps.at(step).services.first();
            select.time([&] { window.today_view()->select(service); });
        }
        if (i == 0) {
            const BootOrder &order = window.today_view()->order();
            note(QStringLiteral("runlevel 2 of %1 services: %2 services in %3 columns, %4 arrows")
                     .arg(size)
                     .arg(order.step_index.size())
                     .arg(order.steps.size())
                     .arg(order.arrows.size()));
        }
    }
    report("boot_order_open", size, open);
    report("boot_order_draw", size, draw);
    report("boot_order_select", size, select);
}
