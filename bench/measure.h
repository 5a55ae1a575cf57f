#pragma once

#include <QList>
#include <QString>
#include <QTimer>

#include <functional>

// Processor time this process has used so far (its children not included).
double cpu_ms();
double median(QList<double> values);

// Wall-clock and processor milliseconds of repetitions of one action. On a
// machine shared with other work, the processor time varies much less.
class Timings
{
public:
    // Times action with the events it leaves pending (layout, painting).
    void time(const std::function<void()> &action);
    void add(double wall_ms, double processor_ms);
    double wall() const { return median(walls); }
    double processor() const { return median(processors); }

private:
    QList<double> walls;
    QList<double> processors;
};
// Peak resident memory of this process, in MiB; the reset starts a new peak.
double peak_rss_mib();
void reset_peak_rss();

void report(const char *name, int size, double value, const char *unit);
// "name" with the wall-clock median, "name_cpu" with the processor-time median.
void report(const char *name, int size, const Timings &timings);
// The slower of two: a figure whose target holds for both cases.
void report_slower(const char *name, int size, const Timings &first, const Timings &second);
void note(const QString &text);

// While it lives, every modal message box is answered with Yes or Ok
// as soon as it shows, so nothing the benchmark drives can block on one. It
// looks every interval milliseconds; at 0 it keeps the event loop busy, which
// costs little beside a widget's work but much beside a waiting process.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(int interval = 0);
    int answered = 0;

private:
    QTimer timer;
};
