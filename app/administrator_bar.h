#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// Shown above the table when the program runs without administrator rights:
// says so at once, rather than at the first apply, offers to start the
// program again as root, and tells how that restart goes.
class AdministratorBar : public QFrame
{
    Q_OBJECT

public:
    explicit AdministratorBar(QWidget *parent = nullptr);

    void show_waiting();
    // The restart ended before the administrator's window took over, with
    // pkexec's exit code (-1 when it was killed), or could not start.
    void show_ended(int exit_code);
    void show_not_started(const QString &program, const QString &reason);

signals:
    void restart_requested();

private:
    void show_failure(const QString &text);

    QLabel *text = nullptr;
    QPushButton *restart = nullptr;
};
