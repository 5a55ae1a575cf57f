#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class Timings;

// An apply with the real insserv and update-rc.d, confined to a scratch root:
// on the sample system and on a generated one of 100 services, one and twenty
// runlevel changes, each applied the checked way (the machine read again, the
// plan rehearsed on a copy, run, verified) and beside it the same plan run and
// verified alone. Every apply starts from the same registered root.
class ApplyBench
{
public:
    explicit ApplyBench(const QString &source_dir);

    void run();

private:
    void measure(const QString &system, const QString &pristine, int changes);
    // A fresh copy of the pristine root with its programs, loaded, with the changes made.
    void prepare(const QString &pristine, const QString &work) const;
    void register_sample(const QString &root) const;
    void install_programs(const QString &root) const;

    QString source_dir;
    QTemporaryDir directory;
};
