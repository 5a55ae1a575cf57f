#include "app/administrator_bar.h"

#include "catalogue/administrator_rights.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStyle>

AdministratorBar::AdministratorBar(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 236, 179));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    auto *icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
    auto *text = new QLabel(tr("Changes need administrator rights"));
    auto *restart = new QPushButton(tr("Restart as administrator"));
    connect(restart, &QPushButton::clicked, this, &AdministratorBar::restart_as_administrator);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(text, 1);
    layout->addWidget(restart);
}

// The new instance is root's, so this one's single-instance lock does not
// stand in its way; this one closes as soon as pkexec is under way.
void AdministratorBar::restart_as_administrator()
{
    const QStringList command = administrator_restart_command(
        QCoreApplication::applicationFilePath(), QStringLiteral(VORN_INSTALLED_PROGRAM),
        QProcessEnvironment::systemEnvironment());
    if (!QProcess::startDetached(command.first(), command.mid(1))) {
        QMessageBox::warning(window(), tr("Restart as administrator"),
                             tr("%1 could not be started.").arg(command.first()));
        return;
    }
    window()->close();
}
