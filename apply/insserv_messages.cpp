#include "apply/insserv_messages.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

struct Pattern
{
    InsservMessage::Kind kind;
    QRegularExpression expression; // captures, by name: subject, user, levels
};

const QList<Pattern> &patterns()
{
    using M = InsservMessage;
    static const QList<Pattern> list{
        {M::Missing, QRegularExpression(QStringLiteral(
                         "service (?<subject>\\S+) is missed in the runlevels (?<levels>.*?) to use service (?<user>\\S+)"))},
        {M::NotEnabled, QRegularExpression(QStringLiteral("service (?<subject>\\S+) has to be enabled to use service (?<user>\\S+)"))},
        {M::NotProvided, QRegularExpression(QStringLiteral("service (?<subject>\\S+) has to exist for service (?<user>\\S+)"))},
        {M::NotExecutable, QRegularExpression(QStringLiteral("script (?<subject>\\S+) is not an executable (regular )?file"))},
        {M::ProvidedTwice, QRegularExpression(QStringLiteral("script (?<user>\\S+): service (?<subject>\\S+) already provided"))},
        {M::Loop, QRegularExpression(QStringLiteral("loop between service (?<subject>\\S+) and (?<user>\\S+) if"))},
        {M::Loop, QRegularExpression(QStringLiteral("loop at service (?<subject>\\S+) if"))},
        {M::AllFacility, QRegularExpression(QStringLiteral(
                             "(Starting|Stopping) (?<user>\\S+) depends on (?<subject>\\S+) and therefore on system facility"))},
        {M::Overlap, QRegularExpression(QStringLiteral("Script `(?<subject>[^']+)' has overlapping Default-Start and Default-Stop"))},
        {M::Expected, QRegularExpression(QStringLiteral("current (start|stop) runlevel\\(s\\) .* of script `(?<subject>[^']+)' overrides LSB defaults"))},
    };
    return list;
}

QString script_of(const QString &name, const QHash<QString, QString> &names_to_scripts)
{
    return names_to_scripts.value(name, name);
}

} // namespace

QList<InsservMessage> parse_insserv_messages(const QString &text, const QHash<QString, QString> &names_to_scripts)
{
    QList<InsservMessage> messages;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        InsservMessage message;
        message.line = line.trimmed();
        for (const Pattern &pattern : patterns()) {
            const QRegularExpressionMatch match = pattern.expression.match(line);
            if (!match.hasMatch())
                continue;
            message.kind = pattern.kind;
            message.subject = script_of(match.captured(QStringLiteral("subject")), names_to_scripts);
            message.user = script_of(match.captured(QStringLiteral("user")), names_to_scripts);
            message.levels = match.captured(QStringLiteral("levels")).simplified();
            break;
        }
        messages.append(message);
    }
    return messages;
}

QString plain_words(const InsservMessage &message)
{
    switch (message.kind) {
    case InsservMessage::Missing:
        return QCoreApplication::translate("InsservMessages", "%1 needs %2 in runlevels %3, where %2 does not start.").arg(message.user, message.subject, message.levels);
    case InsservMessage::NotEnabled:
        return QCoreApplication::translate("InsservMessages", "%1 needs %2, which is not enabled: enable %2 or remove the dependency.").arg(message.user, message.subject);
    case InsservMessage::NotProvided:
        return QCoreApplication::translate("InsservMessages", "%1 needs %2, which no script provides: install it or remove the dependency.").arg(message.user, message.subject);
    case InsservMessage::NotExecutable:
        return QCoreApplication::translate("InsservMessages", "The script %1 is not executable, so insserv leaves it out of the boot: make it executable.").arg(message.subject);
    case InsservMessage::ProvidedTwice:
        return QCoreApplication::translate("InsservMessages", "%1 provides %2, which another script provides already: only one may.").arg(message.user, message.subject);
    case InsservMessage::Loop:
        if (message.user.isEmpty())
            return QCoreApplication::translate("InsservMessages", "%1 is part of a dependency loop: change the dependencies of a service in it.").arg(message.subject);
        return QCoreApplication::translate("InsservMessages", "%1 and %2 require each other through a dependency loop: change the dependencies of one of them.")
            .arg(message.subject, message.user);
    case InsservMessage::AllFacility:
        return QCoreApplication::translate("InsservMessages", "%1 must wait for %2, which waits for every other service ($all): that cannot be met.").arg(message.user, message.subject);
    case InsservMessage::Overlap:
        return QCoreApplication::translate("InsservMessages", "The header of %1 both starts and stops it in the same runlevels.").arg(message.subject);
    case InsservMessage::Expected:
    case InsservMessage::Other:
        break;
    }
    return message.line;
}
