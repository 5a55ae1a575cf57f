// The window's part in keeping the user's edits: nothing pending is dropped
// unless the user says so, an apply that stopped keeps what it did not apply,
// and the edits of an ordinary instance come over to the administrator's.
#include "app/admin_runlevel.h"

#include "app/administrator_bar.h"
#include "app/administrator_restart.h"
#include "apply/details_box.h"
#include "catalogue/administrator_rights.h"
#include "table/pending_edits.h"
#include "table/service_table.h"

#include <QAction>
#include <QCoreApplication>
#include <QMessageBox>

#include <utility>

namespace {

QString listed(const QString &heading, const ChangeMap &edits)
{
    return heading + QLatin1Char('\n') + edit_descriptions(edits).join(QLatin1Char('\n'));
}

} // namespace

// Closing keeps the window open unless the edits are applied, handed over, or
// discarded on purpose; the safe answer is the default.
bool AdminRunlevel::may_close()
{
    if (handed_over || table->pending_changes() == 0)
        return true;
    if (!administrator) {
        return QMessageBox::question(this, tr("Unapplied changes"),
                                     tr("Applying the pending changes needs administrator rights; \"Restart as "
                                        "administrator\" takes them along. Discard them and exit?"),
                                     QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel)
            == QMessageBox::Discard;
    }
    const auto answer = QMessageBox::question(this, tr("Unapplied changes"), tr("Apply changes before exit?"),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        apply_changes();
    // Declined or stopped half-way, the apply leaves edits pending: the user sees them again.
    return answer == QMessageBox::No || (answer == QMessageBox::Yes && table->pending_changes() == 0);
}

// The table was read again after the apply stopped: the edits it shows are
// applied, whatever the apply reported; the others stay pending.
void AdminRunlevel::keep_unapplied(const ChangeMap &edits)
{
    const FittedEdits fitted = table->register_edits(edits);
    QStringList details;
    if (!fitted.in_effect.isEmpty())
        details << listed(tr("Applied:"), fitted.in_effect);
    if (!fitted.pending.isEmpty())
        details << listed(tr("Not applied, still pending:"), fitted.pending);
    if (!fitted.refused.isEmpty())
        details << tr("Not kept:") + QLatin1Char('\n') + fitted.refused.join(QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Warning, tr("Changes not applied"),
                    tr("Applied: %1 of %2 changes. Not applied, still pending: %3.")
                        .arg(fitted.in_effect.size())
                        .arg(edits.size())
                        .arg(fitted.pending.size()),
                    QMessageBox::Ok, this);
    set_readable_details(box, details.join(QStringLiteral("\n\n")));
    box.exec();
}

QStringList AdminRunlevel::take_over_edits(const QByteArray &text)
{
    QStringList not_understood;
    const ChangeMap edits = edits_from_text(text, not_understood);
    return table->register_edits(edits).refused + not_understood;
}

void AdminRunlevel::show_refused_edits(const QStringList &refused, const QString &title)
{
    if (refused.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, title.isEmpty() ? tr("Restart as administrator") : title,
                    tr("%1 of the pending changes handed over do not fit the table and were left out.")
                        .arg(refused.size()),
                    QMessageBox::Ok, this);
    set_readable_details(box, refused.join(QLatin1Char('\n')));
    box.exec();
}

// While the edits are on their way, none can be made here: the table and every
// action but Exit wait, and come back as they were if the restart ends.
void AdminRunlevel::suspend_editing(bool suspend)
{
    centralWidget()->setEnabled(!suspend);
    if (!suspend) {
        for (QAction *action : std::as_const(suspended_actions))
            action->setEnabled(true);
        suspended_actions.clear();
        return;
    }
    for (QAction *action : findChildren<QAction *>()) {
        if (action != exit && action->isEnabled()) {
            suspended_actions.append(action);
            action->setEnabled(false);
        }
    }
}

// This window waits until the administrator's has taken over: only then does
// it close, without asking, its edits being there.
void AdminRunlevel::restart_as_administrator()
{
    const QStringList command = administrator_restart_command(
        QCoreApplication::applicationFilePath(), QStringLiteral(VORN_INSTALLED_PROGRAM),
        QProcessEnvironment::systemEnvironment());
    auto *restart = new AdministratorRestart(this);
    connect(restart, &AdministratorRestart::taken_over, this, [this] {
        handed_over = true;
        close();
    });
    connect(restart, &AdministratorRestart::ended, this, [this, restart](int exit_code) {
        restart->deleteLater();
        suspend_editing(false);
        administrator_bar->show_ended(exit_code);
    });
    QString reason;
    if (!restart->start(command, edits_to_text(table->pending_edits()), reason)) {
        delete restart;
        administrator_bar->show_not_started(command.first(), reason);
        return;
    }
    suspend_editing(true);
    administrator_bar->show_waiting();
}
