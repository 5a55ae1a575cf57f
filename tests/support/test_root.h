#pragma once

#include "tests/support/fake_insserv.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary system root holding every fixed path of the program, with a fake
// insserv installed. While it lives, the program reads and writes only inside it.
class TestRoot
{
public:
    TestRoot();
    ~TestRoot();

    QString path(const QString &relative = QString()) const;
    FakeInsserv &insserv() { return fake; }

    // A shell script whose header holds the given field lines, e.g. "Provides: cron".
    void add_script(const QString &name, const QStringList &fields);
    void add_override(const QString &name, const QStringList &fields);
    // A link such as "S20cron" in the directory of runlevel, pointing at the script.
    void add_link(const QString &runlevel, const QString &link_name);
    void write_config(const QString &content);
    void write_config_file(const QString &name, const QString &content);
    void write_file(const QString &relative, const QByteArray &content);
    QByteArray read_file(const QString &relative) const;

    static QByteArray header(const QStringList &fields);

private:
    QTemporaryDir directory;
    FakeInsserv fake;
};
