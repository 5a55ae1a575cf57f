#pragma once

#include <QList>
#include <QString>
#include <QTimer>

#include <functional>

// Milliseconds that action takes, pending events (layout, painting) included.
double time_ms(const std::function<void()> &action);
double median(QList<double> values);
// Processor time this process has used so far (its children not included).
double cpu_ms();
// Peak resident memory of this process, in MiB; the reset starts a new peak.
double peak_rss_mib();
void reset_peak_rss();

void report(const char *name, int size, double value, const char *unit);
void note(const QString &text);

// While it lives, every modal message box is answered with Yes or Ok
// as soon as it shows, so nothing the benchmark drives can block on one.
class BoxAnswerer : public QObject
{
public:
    BoxAnswerer();
    int answered = 0;

private:
    QTimer timer;
};
