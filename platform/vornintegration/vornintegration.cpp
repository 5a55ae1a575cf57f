#include "vornintegration.h"

#include <QGuiApplication>
#include <QSettings>
#include <QWidget>

namespace {

QString geometry_key(const QWidget *window)
{
    const QString name = window->objectName();
    return QStringLiteral("Geometry/") + (name.isEmpty() ? QLatin1String(window->metaObject()->className()) : name);
}

} // namespace

void vornInit(const char *version, const char *name)
{
    QCoreApplication::setApplicationVersion(QString::fromUtf8(version));
    QGuiApplication::setApplicationDisplayName(QString::fromUtf8(name));
    QCoreApplication::setOrganizationName(QStringLiteral("Vorn"));
}

bool vornRestoreGeometry(QWidget *window, QSettings *settings, const QRect &default_geometry, bool)
{
    if (!window)
        return false;
    const QVariant saved = settings ? settings->value(geometry_key(window)) : QVariant();
    if (saved.userType() == QMetaType::QByteArray && window->restoreGeometry(saved.toByteArray()))
        return true;
    // The frame, not the client area, goes to the default's corner.
    if (default_geometry.isValid()) {
        window->resize(default_geometry.size());
        window->move(default_geometry.topLeft());
    }
    return false;
}

void vornSaveGeometry(const QWidget *window, QSettings *settings, bool)
{
    if (!window || !settings)
        return;
    settings->setValue(geometry_key(window), window->saveGeometry());
    settings->sync();
}
