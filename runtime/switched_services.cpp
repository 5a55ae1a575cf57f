#include "runtime/switched_services.h"

SwitchedServices switched_services(const ChangeMap &changes)
{
    SwitchedServices switched;
    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        if (!change.key().second.isEmpty())
            continue;
        if (change.value() == QLatin1String("S"))
            switched.enabled.append(change.key().first.name);
        else if (change.value() == QLatin1String("K"))
            switched.disabled.append(change.key().first.name);
    }
    return switched;
}

StartStopOffer start_stop_offer(const SwitchedServices &switched, const QHash<QString, RunState> &states)
{
    StartStopOffer offer;
    for (const QString &name : switched.enabled) {
        const RunState state = states.value(name, RunState::Unknown);
        if (state == RunState::NotRunning || state == RunState::Dead)
            offer.to_start.append(name);
    }
    for (const QString &name : switched.disabled) {
        if (states.value(name, RunState::Unknown) == RunState::Running)
            offer.to_stop.append(name);
    }
    return offer;
}
