#pragma once

#include "apply/apply_plan.h"
#include "apply/plan_executor.h"
#include "catalogue/boot_configuration.h"

#include <QString>
#include <QStringList>

// Who started the program: the user pkexec or sudo started it for, else the
// real user; "alice (uid 1000)".
QString acting_user();

// What a plan does, a line a service it touches: where the service starts and
// stops before and after, the header fields it changes and what it runs, as
// "cron: start 2 3 4 5, stop 0 1 6 -> start 2 3 4, stop 0 1 5 6; Default-Stop:
// 0 1 6 -> 0 1 5 6; runs /sbin/insserv --remove --force cron, /sbin/insserv cron".
QStringList plan_summary(const ApplyPlan &plan, const BootConfiguration &before);

// The commit message of etckeeper's commit after a plan has run.
QString commit_message(const ApplyPlan &plan, const QString &user, const QStringList &summary, const QString &result);

// What a run of a plan leaves on the machine besides its changes: lines in the
// system log (the plan, then what came of it; a refusal with its reasons),
// etckeeper's two commits where /etc is kept in git, and an entry of the
// history that undo reads. None of it ever stops an apply: what fails is a
// warning for the user.
class ApplyTrace
{
public:
    ApplyTrace();

    // The plan was not run: the log says why.
    void refused(const ApplyPlan &plan, const BootConfiguration &before, const QStringList &reasons) const;
    // For the preview: where etckeeper keeps /etc, which commits will be made; else empty.
    QString etckeeper_notice() const;
    // Right before the first step: the plan in the log, and what was left
    // uncommitted in /etc committed. Returns the warnings.
    QStringList before_run(const ApplyPlan &plan, const BootConfiguration &before) const;
    // After the plan ran, applied or restored: the result in the log; once
    // applied, its entry in the history; the change committed. Returns the warnings.
    QStringList after_run(const ApplyPlan &plan, const BootConfiguration &before, const PlanOutcome &outcome) const;

private:
    QString heading(const ApplyPlan &plan) const;
    void log_plan(const ApplyPlan &plan, const QStringList &summary) const;

    QString user;
    bool etckeeper_keeps_etc = false;
};
