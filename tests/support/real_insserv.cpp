#include "tests/support/real_insserv.h"

#include "tests/support/test_root.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

bool RealInsserv::available()
{
    return QFileInfo(host_program()).isExecutable();
}

RealInsserv::RealInsserv(TestRoot &root)
    : wrapper(root.path(QStringLiteral("sbin/insserv")))
{
    const QString base = root.path();
    QVERIFY2(!base.contains(QLatin1Char('\'')), "the root's path cannot be quoted for the shell");
    QDir().mkpath(root.path(QStringLiteral("lib/insserv")));
    const QString text = QStringLiteral("#!/bin/sh\nexec %1 -p '%2/etc/init.d' -o '%2/etc/insserv/overrides'"
                                        " -c '%2/etc/insserv.conf' -i '%2/lib/insserv' \"$@\"\n")
                             .arg(host_program(), base);
    // One wrapper replaces both fakes: the listing and every change run
    // "/sbin/insserv", the preliminary run at each load "insserv" from PATH.
    for (const QString &program : {QStringLiteral("sbin/insserv"), QStringLiteral("bin/insserv")}) {
        root.write_file(program, text.toUtf8());
        QFile::setPermissions(root.path(program), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

bool RealInsserv::run(const QStringList &arguments, QString *errors) const
{
    QProcess insserv;
    insserv.start(wrapper, arguments, QIODevice::ReadOnly);
    const bool finished = insserv.waitForFinished(30000);
    if (errors)
        *errors = QString::fromUtf8(insserv.readAllStandardError());
    return finished && insserv.exitStatus() == QProcess::NormalExit && insserv.exitCode() == 0;
}
