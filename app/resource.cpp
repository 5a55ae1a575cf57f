#include "app/resource.h"

#include <QFile>

namespace {

// The desktop's icon theme first. Where it lacks an icon, the program's own
// drawing under the same name, so that every desktop shows a complete set.
QIcon themed_or_own(const QString &name)
{
    const QIcon themed = QIcon::fromTheme(name, QIcon());
    if (!themed.isNull())
        return themed;
    for (const char *suffix : {".svg", ".png"}) {
        const QString own = QStringLiteral(":/icons/") + name + QLatin1String(suffix);
        if (QFile::exists(own))
            return QIcon(own);
    }
    return QIcon();
}

} // namespace

Resource::Resource()
{
    Q_INIT_RESOURCE(icons);
    const QList<QPair<const char *, const char *>> names = {
        {"service start", "dialog-ok-apply"}, {"service stop", "user-busy"},
        {"service ignore", "page-simple"},    {"apply all", "system-run"},
        {"find service", "edit-find"},        {"undo changes", "edit-undo"},
        {"edit service", "configure"},        {"reset service", "draw-eraser"},
        {"toggle", "document-properties"},    {"service enable", "services"},
        {"service disable", "no"},            {"vorn-runlevel", "vorn-admin-runlevel"},
        {"exit", "application-exit"},         {"reload", "view-refresh"},
        {"undo apply", "document-revert"},
        {"override", "document-edit"},
        {"state running", "media-playback-start"}, {"state not running", "media-playback-stop"},
        {"state dead", "emblem-warning"},          {"state unknown", "dialog-question"},
        {"start now", "media-playback-start"},     {"stop now", "media-playback-stop"},
        {"restart now", "media-playlist-repeat"},  {"filter", "view-filter"},
        {"boot order", "distribute-graph-directed"},
    };
    for (const auto &name : names)
        icons[QLatin1String(name.first)] = themed_or_own(QLatin1String(name.second));
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
