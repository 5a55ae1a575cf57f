#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <functional>

#include <sys/types.h>

class QSocketNotifier;
class QWidget;

// Starts the program again as root through pkexec and hands it the pending
// edits. pkexec refuses to run for a process whose parent has gone, so this
// instance stays its parent until the new one has taken over.
//
// The protocol: the new instance runs with the option "--pending-edits", finds
// the edits as text on its standard input (a file that only this user and
// root can read, already deleted), and writes the line "ready" on its standard
// output once its window is shown.
class AdministratorRestart : public QObject
{
    Q_OBJECT

public:
    static const QString option;

    explicit AdministratorRestart(QObject *parent = nullptr);
    ~AdministratorRestart() override;

    // Starts the command with the option added; false, with the reason, when it
    // cannot be started at all.
    bool start(const QStringList &command, const QByteArray &edits, QString &error);

signals:
    void taken_over();
    // Ended (or closed its output) without taking over: pkexec's exit code,
    // 126 when the authentication was dismissed, -1 when killed by a signal.
    void ended(int exit_code);

private:
    void read_output();
    void stop_reading();
    void wait_for_end();

    pid_t child = -1;
    int output = -1;
    QSocketNotifier *notifier = nullptr;
    QByteArray said;
};

// The new instance's side: the edits from its standard input (at most a few
// megabytes of them), and the line that lets the ordinary instance go, written
// once the window is shown; then is called.
QByteArray read_handed_over_edits(int input);
void announce_taken_over(QWidget *window, int output, std::function<void()> then);
