#pragma once

#include "catalogue/change_map.h"
#include "runtime/lsb_status.h"

#include <QHash>
#include <QStringList>

// The services a set of pending changes enables and disables as a whole.
struct SwitchedServices
{
    QStringList enabled;
    QStringList disabled;
};

SwitchedServices switched_services(const ChangeMap &changes);

// What is worth doing at once after those changes are applied: starting the
// services just enabled that do not run (dead ones included), stopping those
// just disabled that run. A service whose state is not known is left alone.
struct StartStopOffer
{
    QStringList to_start;
    QStringList to_stop;

    bool isEmpty() const { return to_start.isEmpty() && to_stop.isEmpty(); }
};

StartStopOffer start_stop_offer(const SwitchedServices &switched, const QHash<QString, RunState> &states);
