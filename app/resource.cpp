#include "app/resource.h"

Resource::Resource()
{
    // The program brings its own icon, and one that common themes lack, for
    // themes that do not have them.
    Q_INIT_RESOURCE(icons);
    QIcon::setFallbackSearchPaths(QIcon::fallbackSearchPaths() << QStringLiteral(":/icons"));

    const QList<QPair<const char *, const char *>> names = {
        {"service start", "dialog-ok-apply"}, {"service stop", "user-busy"},
        {"service ignore", "page-simple"},    {"apply all", "system-run"},
        {"find service", "edit-find"},        {"undo changes", "edit-undo"},
        {"edit service", "configure"},        {"reset service", "draw-eraser"},
        {"toggle", "document-properties"},    {"service enable", "services"},
        {"service disable", "no"},            {"vorn-runlevel", "vorn-admin-runlevel"},
        {"exit", "application-exit"},
    };
    for (const auto &name : names)
        icons[QLatin1String(name.first)] = QIcon::fromTheme(QLatin1String(name.second), QIcon());
}

Resource &Resource::instance()
{
    static Resource resource;
    return resource;
}

QIcon Resource::icon(const QString &logical_name) const
{
    return icons.value(logical_name);
}
