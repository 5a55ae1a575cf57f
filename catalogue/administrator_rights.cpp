#include "catalogue/administrator_rights.h"

#include "catalogue/test_hooks.h"

#include <optional>

#include <unistd.h>

namespace {

std::optional<bool> assumed_rights;

} // namespace

void test_hooks::assume_administrator_rights(std::optional<bool> rights)
{
    assumed_rights = rights;
}

bool has_administrator_rights()
{
    return assumed_rights.value_or(geteuid() == 0);
}

QStringList administrator_restart_command(const QString &program, const QString &installed_program,
                                          const QProcessEnvironment &environment)
{
    const QString pkexec = QStringLiteral("pkexec");
    if (program == installed_program)
        return {pkexec, program};
    QStringList command{pkexec, QStringLiteral("/usr/bin/env")};
    const QString display = environment.value(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        command << QStringLiteral("DISPLAY=") + display;
    // X clients fall back on ~/.Xauthority, and root's home is not the user's.
    QString cookie = environment.value(QStringLiteral("XAUTHORITY"));
    if (cookie.isEmpty() && environment.contains(QStringLiteral("HOME")))
        cookie = environment.value(QStringLiteral("HOME")) + QStringLiteral("/.Xauthority");
    if (!cookie.isEmpty())
        command << QStringLiteral("XAUTHORITY=") + cookie;
    return command << program;
}
