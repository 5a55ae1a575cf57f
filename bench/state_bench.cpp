#include "bench/state_bench.h"

#include "app/admin_runlevel.h"
#include "bench/measure.h"
#include "runtime/status_query.h"
#include "table/service_table.h"

#include <QAction>
#include <QLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

const int selections = 250;

// The table the window holds now: a reload replaces it, and the old one lingers
// until the event loop deletes it.
ServiceTable *current_table(AdminRunlevel &window)
{
    for (ServiceTable *table : window.findChildren<ServiceTable *>()) {
        if (window.centralWidget()->layout()->indexOf(table) >= 0)
            return table;
    }
    qFatal("no table in the window");
}

void reload(AdminRunlevel &window)
{
    for (QAction *action : window.findChildren<QAction *>()) {
        if (action->text() == AdminRunlevel::tr("&Reload")) {
            action->trigger();
            return;
        }
    }
    qFatal("no reload action");
}

} // namespace

StateBench::StateBench(int size, const QStringList &names)
    : size(size)
    , names(names)
{
}

void StateBench::measure_states() const
{
    Timings timings;
    const int repetitions = size > 100 ? 3 : 7;
    for (int i = 0; i < repetitions; ++i) {
        StatusQuery query;
        int known = 0;
        QObject::connect(&query, &StatusQuery::state_known, [&known] { ++known; });
        QSignalSpy finished(&query, &StatusQuery::finished);
        const double processor_start = cpu_ms();
        QElapsedTimer timer;
        timer.start();
        query.ask(names);
        if (!finished.wait(60000) || known != names.size())
            qFatal("%d states of %d known", known, int(names.size()));
        timings.add(timer.nsecsElapsed() / 1e6, cpu_ms() - processor_start);
    }
    report("states", size, timings);
}

// Each click is timed with the events it leaves, as the other figures are; a
// round that ends before the clicks are done is started again by a reload.
void StateBench::measure_select_while_asking(AdminRunlevel &window) const
{
    Timings times;
    double slowest = 0;
    int clicks = 0;
    while (clicks < selections) {
        reload(window);
        ServiceTable *table = current_table(window);
        auto *query = window.findChild<StatusQuery *>();
        if (!QTest::qWaitFor([query] { return query->busy(); }, 1000))
            qFatal("a reload asked no states");
        for (int row = 0; query->busy() && clicks < selections; row = (row + 37) % table->rowCount(), ++clicks) {
            QTableWidgetItem *cell = table->item(row, 0);
            table->scrollToItem(cell);
            QApplication::processEvents();
            const QPoint centre = table->visualItemRect(cell).center();
            const double processor_start = cpu_ms();
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
            QApplication::processEvents();
            const double wall = timer.nsecsElapsed() / 1e6;
            times.add(wall, cpu_ms() - processor_start);
            slowest = std::max(slowest, wall);
            if (table->currentItem() != cell)
                qFatal("a click did not select its name cell");
        }
    }
    report("select_while_asking", size, times);
    report("select_while_asking_slowest", size, slowest, "ms");
}
