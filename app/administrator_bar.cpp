#include "app/administrator_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

namespace {

// pkexec's own exit codes, and the program's when an administrator's window was open already.
const int dismissed = 126;
const int not_authorized = 127;
const int already_running = 1;

} // namespace

AdministratorBar::AdministratorBar(QWidget *parent)
    : QFrame(parent)
    , text(new QLabel(tr("Changes need administrator rights")))
    , restart(new QPushButton(tr("Restart as administrator")))
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
    // A long message wraps rather than widening the window.
    text->setWordWrap(true);
    text->setMinimumWidth(1);
    connect(restart, &QPushButton::clicked, this, &AdministratorBar::restart_requested);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(text, 1);
    layout->addWidget(restart);
}

void AdministratorBar::show_waiting()
{
    restart->setEnabled(false);
    text->setText(tr("Waiting for the administrator's window; the pending changes go along to it."));
}

void AdministratorBar::show_ended(int exit_code)
{
    if (exit_code == dismissed) {
        restart->setEnabled(true);
        text->setText(tr("Changes need administrator rights. The restart was cancelled; the pending changes stay "
                         "here."));
    } else if (exit_code == already_running) {
        show_failure(tr("An administrator's window of this program is open already: it was brought to the front. The "
                        "pending changes stay here."));
    } else if (exit_code == not_authorized) {
        show_failure(tr("pkexec did not start the program as administrator: the user is not allowed to, or no "
                        "authentication agent runs (pkexec tells why on standard error). The pending changes stay "
                        "here."));
    } else {
        show_failure(tr("The administrator's instance ended (exit code %1) before its window appeared. The pending "
                        "changes stay here.").arg(exit_code));
    }
}

void AdministratorBar::show_not_started(const QString &program, const QString &reason)
{
    show_failure(tr("%1 could not be started: %2. The pending changes stay here.").arg(program, reason));
}

void AdministratorBar::show_failure(const QString &message)
{
    restart->setEnabled(true);
    text->setText(message);
    QMessageBox::warning(window(), tr("Restart as administrator"), message);
}
