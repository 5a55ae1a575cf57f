#pragma once

#include <QStringList>

class AdminRunlevel;

// How long asking every service's state takes, with scripts that answer in
// 20 ms each, and how fast the table answers a selection meanwhile.
class StateBench
{
public:
    StateBench(int size, const QStringList &names);

    // Asking every script, from the first question to the last answer.
    void measure_states() const;
    // Clicks on name cells while the window asks every state after a reload.
    void measure_select_while_asking(AdminRunlevel &window) const;

private:
    int size;
    QStringList names;
};
