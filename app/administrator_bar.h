#pragma once

#include <QFrame>

// Shown above the table when the program runs without administrator rights:
// says so at once, rather than at the first apply, and offers to start the
// program again as root through pkexec.
class AdministratorBar : public QFrame
{
    Q_OBJECT

public:
    explicit AdministratorBar(QWidget *parent = nullptr);

private slots:
    void restart_as_administrator();
};
