#include "app/service_control.h"

#include "app/admin_status_bar.h"
#include "app/resource.h"
#include "app/start_stop_offer_dialog.h"
#include "apply/details_box.h"
#include "catalogue/system_paths.h"
#include "catalogue/utf8_text.h"
#include "runtime/status_query.h"
#include "table/service_table.h"

#include <QAction>
#include <QMap>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>

namespace {

const QString start_action = QStringLiteral("start");
const QString stop_action = QStringLiteral("stop");
const QString restart_action = QStringLiteral("restart");

// A short run shows no progress at all.
const int progress_delay_ms = 500;

QString command_line(const ServiceCommand &command)
{
    return QStringLiteral("service %1 %2").arg(command.service, command.action);
}

QList<ServiceCommand> commands_for(const QStringList &names, const QString &action)
{
    QList<ServiceCommand> list;
    for (const QString &name : names)
        list.append(ServiceCommand{name, action});
    return list;
}

} // namespace

ServiceControl::ServiceControl(QWidget *window, bool administrator)
    : QObject(window)
    , window(window)
    , administrator(administrator)
    , query(new StatusQuery(this))
{
    connect(query, &StatusQuery::state_known, this, &ServiceControl::show_state);
    connect(query, &StatusQuery::finished, this, &ServiceControl::refresh_filter);
    build_actions();
}

void ServiceControl::build_actions()
{
    const auto make = [this](const char *icon, const QString &text, const QString &action) {
        auto *made = new QAction(Resource::instance().icon(QLatin1String(icon)), text, window);
        connect(made, &QAction::triggered, this, [this, action] { act(action); });
        if (!administrator) {
            made->setToolTip(tr("Starting and stopping services needs administrator rights"));
            made->setStatusTip(made->toolTip());
        }
        made->setEnabled(false);
        return made;
    };
    start_now = make("start now", tr("Start &now"), start_action);
    stop_now = make("stop now", tr("St&op now"), stop_action);
    restart_now = make("restart now", tr("Restar&t now"), restart_action);
}

QList<QAction *> ServiceControl::actions() const
{
    return {start_now, stop_now, restart_now};
}

void ServiceControl::enable_actions(bool selected)
{
    for (QAction *action : actions())
        action->setEnabled(selected && administrator && !busy());
}

void ServiceControl::show_in(AdminStatusBar *bar)
{
    status_bar = bar;
    connect(bar, &AdminStatusBar::run_filter_requested, this, [this](int filter) {
        if (!table)
            return;
        table->filter_run_state(ServiceTable::RunFilter(filter));
        refresh_filter();
    });
}

void ServiceControl::attach(ServiceTable *new_table)
{
    table = new_table;
    table->add_context_actions(actions());
    connect(table, &ServiceTable::selection_changed, this, [this](bool any) { enable_actions(any); });
    enable_actions(!table->selectedItems().isEmpty());
    for (auto known = states.cbegin(); known != states.cend(); ++known)
        table->show_run_state(known.key(), known.value());
    query->cancel();
    // Once the window has shown the table.
    if (administrator)
        QTimer::singleShot(0, this, &ServiceControl::ask_all);
}

void ServiceControl::ask_all()
{
    if (!table)
        return;
    QStringList names;
    for (const Service &service : table->services(true))
        names.append(service.name);
    query->ask(names);
}

void ServiceControl::show_state(const QString &name, RunState state)
{
    states.insert(name, state);
    if (table)
        table->show_run_state(name, state);
}

// A filter in force changes its rows as states arrive.
void ServiceControl::refresh_filter()
{
    if (table && status_bar)
        status_bar->show_filter(table->filter_description());
}

// Started in boot order, stopped in the reverse.
void ServiceControl::act(const QString &action)
{
    if (!table || busy())
        return;
    QStringList names = table->selected_services();
    if (action == stop_action)
        std::reverse(names.begin(), names.end());
    if (names.isEmpty() || !confirmed(action, names))
        return;
    run(action_title(action), commands_for(names, action));
}

QString ServiceControl::action_title(const QString &action)
{
    if (action == start_action)
        return tr("Start now");
    return action == stop_action ? tr("Stop now") : tr("Restart now");
}

// No is the default: these act at once and cannot be undone.
bool ServiceControl::confirmed(const QString &action, const QStringList &names)
{
    const QString list = names.join(QStringLiteral(", "));
    QString question = tr("Restart %1 now?").arg(list);
    if (action == start_action)
        question = tr("Start %1 now?").arg(list);
    else if (action == stop_action)
        question = tr("Stop %1 now?").arg(list);
    QMessageBox box(QMessageBox::Question, action_title(action), question, QMessageBox::Yes | QMessageBox::No,
                    window);
    box.setDefaultButton(QMessageBox::No);
    box.setInformativeText(tr("This happens at once: it is not a pending change, and undo cannot take it back."));
    QStringList lines;
    for (const ServiceCommand &command : commands_for(names, action))
        lines.append(command_line(command));
    set_readable_details(box, lines.join(QLatin1Char('\n')));
    return box.exec() == QMessageBox::Yes;
}

void ServiceControl::offer_after_apply(const SwitchedServices &switched)
{
    const StartStopOffer offer = start_stop_offer(switched, states);
    if (offer.isEmpty() || !administrator || busy())
        return;
    StartStopOfferDialog dialog(offer, window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const StartStopOffer chosen = dialog.chosen();
    if (chosen.isEmpty())
        return;
    QStringList stops = table ? table->boot_ordered(chosen.to_stop) : chosen.to_stop;
    std::reverse(stops.begin(), stops.end());
    const QStringList starts = table ? table->boot_ordered(chosen.to_start) : chosen.to_start;
    run(StartStopOfferDialog::tr("Start and stop now"),
        commands_for(stops, stop_action) + commands_for(starts, start_action));
}

void ServiceControl::run(const QString &run_title, const QList<ServiceCommand> &list)
{
    title = run_title;
    commands = new ServiceCommands(this);
    progress = new QProgressDialog(window);
    progress->setWindowTitle(title);
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setRange(0, 0);
    progress->setMinimumDuration(progress_delay_ms);
    progress->setValue(0);
    connect(progress, &QProgressDialog::canceled, commands, &ServiceCommands::cancel);
    connect(commands, &ServiceCommands::command_started, this, [this](int index, int count) {
        const QString command = command_line(commands->results().at(index));
        progress->setLabelText(tr("Step %1 of %2: %3").arg(index + 1).arg(count).arg(command));
    });
    connect(commands, &ServiceCommands::finished, this, &ServiceControl::read_back);
    enable_actions(false);
    commands->run(list);
}

// Never success from exit statuses alone: each service is asked how it runs now.
void ServiceControl::read_back()
{
    progress->setLabelText(tr("Asking the services how they run now"));
    progress->setCancelButton(nullptr);
    QStringList names;
    for (const ServiceCommand &command : commands->results())
        names.append(command.service);
    check = new StatusQuery(this);
    connect(check, &StatusQuery::state_known, this, &ServiceControl::show_state);
    connect(check, &StatusQuery::finished, this, [this] { QTimer::singleShot(0, this, &ServiceControl::report); });
    check->ask(names);
}

QString ServiceControl::outcome_text(const ServiceCommand &command) const
{
    switch (command.outcome) {
    case ServiceCommand::Succeeded:
    case ServiceCommand::Failed:
        return tr("Exit status %1").arg(command.exit_status);
    case ServiceCommand::Crashed:
        return tr("Ended by a signal");
    case ServiceCommand::TimedOut:
        return tr("Ended: no answer within %1 seconds").arg(ServiceCommands::default_time_limit_ms / 1000);
    case ServiceCommand::Cancelled:
        return tr("Ended at your request");
    case ServiceCommand::NotStarted:
        return tr("%1 could not be run").arg(service_program());
    case ServiceCommand::NotRun:
        break;
    }
    return tr("Not run");
}

// What a command said and did, and how its service runs now.
QString ServiceControl::command_details(const ServiceCommand &command) const
{
    QString block = command_line(command) + QLatin1Char('\n');
    const QString output = utf8_up_to_nul(command.output).trimmed();
    if (!output.isEmpty())
        block += output + QLatin1Char('\n');
    block += outcome_text(command);
    if (command.outcome != ServiceCommand::NotRun)
        block += QStringLiteral("; ") + tr("state now: %1").arg(ServiceTable::run_state_text(state(command.service)));
    return block;
}

// A command that failed, or whose service does not run as it should now, is
// named in the text; the details hold every command.
void ServiceControl::report()
{
    const QList<ServiceCommand> results = commands->results();
    commands->deleteLater();
    check->deleteLater();
    progress->hide();
    progress->deleteLater();
    commands = nullptr;
    check = nullptr;
    progress = nullptr;
    enable_actions(table && !table->selectedItems().isEmpty());
    refresh_filter();

    QMap<QString, QStringList> failed; // by action
    QStringList details;
    for (const ServiceCommand &command : results) {
        details.append(command_details(command));
        const bool ran = command.outcome != ServiceCommand::NotRun;
        if (ran && (!command.succeeded() || contradicts(command, state(command.service))))
            failed[command.action].append(command.service);
    }
    QStringList text;
    const QString separator = QStringLiteral(", ");
    if (failed.contains(start_action))
        text.append(tr("Could not start: %1.").arg(failed.value(start_action).join(separator)));
    if (failed.contains(stop_action))
        text.append(tr("Could not stop: %1.").arg(failed.value(stop_action).join(separator)));
    if (failed.contains(restart_action))
        text.append(tr("Could not restart: %1.").arg(failed.value(restart_action).join(separator)));
    if (!text.isEmpty()) {
        QMessageBox box(QMessageBox::Critical, title, text.join(QLatin1Char('\n')), QMessageBox::Ok, window);
        set_readable_details(box, details.join(QStringLiteral("\n\n")));
        box.exec();
    }
    emit acted();
}
