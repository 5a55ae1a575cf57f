#include "vorn_help_menu.h"

#include <QApplication>
#include <QMessageBox>

VornHelpMenu::VornHelpMenu(QWidget *parent)
    : QMenu(tr("&Help"), parent)
{
    addAction(tr("&About %1").arg(QGuiApplication::applicationDisplayName()), this, &VornHelpMenu::about);
    addAction(tr("About &Qt"), qApp, &QApplication::aboutQt);
}

void VornHelpMenu::about()
{
    const QString name = QGuiApplication::applicationDisplayName();
    QMessageBox::about(parentWidget(), tr("About %1").arg(name),
                       tr("<h3>%1</h3><p>Version %2</p>")
                           .arg(name.toHtmlEscaped(), QCoreApplication::applicationVersion().toHtmlEscaped()));
}
