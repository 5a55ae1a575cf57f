#pragma once

#include "vornintegration_export.h"

#include <QRect>

class QSettings;
class QWidget;

// Names the application: its version, the display name shown in window titles
// and the about box, and the organisation under which the default QSettings
// keeps its file. The application name stays the executable's. May be called
// before the QApplication exists.
VORNINTEGRATION_EXPORT void vornInit(const char *version, const char *name);

// Brings back the geometry vornSaveGeometry stored for a window of the same
// object name (or, without one, of the same class). Without a stored geometry,
// or with one that cannot be read, the window gets default_geometry when that
// is valid. Returns whether a stored geometry was restored. The flag is
// reserved and has no effect; pass false.
VORNINTEGRATION_EXPORT bool vornRestoreGeometry(QWidget *window, QSettings *settings, const QRect &default_geometry,
                                                bool flag);

// Stores the window's geometry, including its maximised or full-screen state,
// and writes the settings out at once. The flag is reserved and has no
// effect; pass false.
VORNINTEGRATION_EXPORT void vornSaveGeometry(const QWidget *window, QSettings *settings, bool flag);
