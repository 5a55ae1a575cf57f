#pragma once

#include "vornintegration_export.h"

#include <QMenu>

// The Help menu of a main window: about the application, and about Qt. The
// about box names the application by its display name and version, as
// vornInit set them.
class VORNINTEGRATION_EXPORT VornHelpMenu : public QMenu
{
    Q_OBJECT

public:
    explicit VornHelpMenu(QWidget *parent);

private:
    void about();
};
