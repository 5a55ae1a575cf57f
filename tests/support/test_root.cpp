#include "tests/support/test_root.h"

#include "catalogue/service_info.h"
#include "catalogue/test_hooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

// Only the newest root is in effect; an older one destroyed later leaves it so.
const TestRoot *current_root = nullptr;
QByteArray host_path;

} // namespace

TestRoot::TestRoot()
    : fake((current_root ? QByteArray() : host_path = qgetenv("PATH"), directory.path()))
{
    current_root = this;
    QDir().mkpath(path(QStringLiteral("etc/init.d")));
    QDir().mkpath(path(QStringLiteral("etc/insserv/overrides")));
    test_hooks::set_system_root(directory.path());
    // The tests administer their own root, whoever runs them.
    test_hooks::assume_administrator_rights(true);
    // Every root brings its own insserv configuration.
    ServiceInfo::_virtual_facilities.clear();
}

TestRoot::~TestRoot()
{
    if (current_root != this)
        return;
    current_root = nullptr;
    test_hooks::set_system_root(QString());
    test_hooks::assume_administrator_rights(std::nullopt);
    ServiceInfo::_virtual_facilities.clear();
    qputenv("PATH", host_path);
}

QString TestRoot::path(const QString &relative) const
{
    return relative.isEmpty() ? directory.path() : directory.filePath(relative);
}

QByteArray TestRoot::header(const QStringList &fields)
{
    QByteArray text("### BEGIN INIT INFO\n");
    for (const QString &field : fields)
        text += "# " + field.toUtf8() + '\n';
    return text + "### END INIT INFO\n";
}

void TestRoot::add_script(const QString &name, const QStringList &fields)
{
    write_file(QStringLiteral("etc/init.d/") + name, "#!/bin/sh\n" + header(fields) + "exit 0\n");
}

void TestRoot::add_override(const QString &name, const QStringList &fields)
{
    write_file(QStringLiteral("etc/insserv/overrides/") + name, header(fields));
}

void TestRoot::add_link(const QString &runlevel, const QString &link_name)
{
    const QString dir = path(QStringLiteral("etc/rc%1.d").arg(runlevel));
    QDir().mkpath(dir);
    QVERIFY(QFile::link(QStringLiteral("../init.d/") + link_name.mid(3), dir + QLatin1Char('/') + link_name));
}

void TestRoot::write_config(const QString &content)
{
    write_file(QStringLiteral("etc/insserv.conf"), content.toUtf8());
}

void TestRoot::write_config_file(const QString &name, const QString &content)
{
    write_file(QStringLiteral("etc/insserv.conf.d/") + name, content.toUtf8());
}

void TestRoot::write_file(const QString &relative, const QByteArray &content)
{
    const QString file_path = path(relative);
    QDir().mkpath(QFileInfo(file_path).path());
    QFile file(file_path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray TestRoot::read_file(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
