#pragma once

#include "apply/process_runner.h"
#include "bench/synthetic_system.h"

#include <QStringList>
#include <QTemporaryDir>

class AdminRunlevel;
class Timings;
class ServiceTable;

// The figures of one system size, measured on the real widgets: each prints as
// "name size value unit". Every figure is the median of several repetitions.
class TableBench
{
public:
    TableBench(int size, const QStringList &only);

    void run_with_fake_insserv();
    void run_with_real_insserv();

private:
    bool wanted(const char *figure) const;
    void load_once(Timings &timings) const;
    double insserv_run_ms(const QString &program, const QStringList &arguments) const;

    void measure_load();
    void measure_select(ServiceTable *table);
    void measure_select_all(ServiceTable *table);
    void measure_header_click(ServiceTable *table);
    void measure_find(ServiceTable *table);
    void measure_apply();
    void measure_states();
    void apply_once(Timings &timings, const ProcessRunner &runner) const;

    int size;
    QStringList only;
    QTemporaryDir directory;
    SyntheticSystem system;
};
