#include "apply/insserv_messages.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

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
        {M::Missing,
         QRegularExpression(QStringLiteral(
             "service (?<subject>\\S+) is missed in the runlevels (?<levels>.*?) to use service (?<user>\\S+)"))},
        {M::NotEnabled,
         QRegularExpression(QStringLiteral("service (?<subject>\\S+) has to be enabled to use service (?<user>\\S+)"))},
        {M::NotProvided,
         QRegularExpression(QStringLiteral("service (?<subject>\\S+) has to exist for service (?<user>\\S+)"))},
        {M::NotExecutable,
         QRegularExpression(QStringLiteral("script (?<subject>\\S+) is not an executable (regular )?file"))},
        {M::ProvidedTwice,
         QRegularExpression(QStringLiteral("script (?<user>\\S+): service (?<subject>\\S+) already provided"))},
        {M::Loop,
         QRegularExpression(
             QStringLiteral("loop between service (?<subject>\\S+) and (?<user>\\S+) if (?<when>\\S+)"))},
        {M::Loop, QRegularExpression(QStringLiteral("loop at service (?<subject>\\S+) if (?<when>\\S+)"))},
        {M::Loop, QRegularExpression(QStringLiteral("loop involving service (?<subject>\\S+) at depth"))},
        {M::AllFacility,
         QRegularExpression(QStringLiteral(
             "(?<when>Starting|Stopping) (?<user>\\S+) depends on (?<subject>\\S+) and therefore on system facility"))},
        {M::Overlap,
         QRegularExpression(
             QStringLiteral("Script `(?<subject>[^']+)' has overlapping Default-Start and Default-Stop"))},
        {M::Expected,
         QRegularExpression(QStringLiteral(
             "current (start|stop) runlevel\\(s\\) .* of script `(?<subject>[^']+)' overrides LSB defaults"))},
    };
    return list;
}

// The verb of a field, from the side of the header that names it.
QString link_verb(const QString &field)
{
    if (field.startsWith(QLatin1String("Required-")))
        return QCoreApplication::translate("InsservMessages", "requires");
    if (field.startsWith(QLatin1String("Should-")))
        return QCoreApplication::translate("InsservMessages", "wants");
    return field == QLatin1String("X-Start-Before") ? QCoreApplication::translate("InsservMessages", "starts before")
                                                    : QCoreApplication::translate("InsservMessages", "stops after");
}

// A chain starts at its first service in name order, so that the two messages
// insserv prints of one loop, from either end, read the same.
QList<Requirement> rotated(QList<Requirement> chain)
{
    if (chain.isEmpty())
        return chain;
    int first = 0;
    for (int at = 1; at < chain.size(); ++at) {
        if (chain.at(at).waiting < chain.at(first).waiting)
            first = at;
    }
    return chain.mid(first) + chain.mid(0, first);
}

QStringList owners(const QList<Requirement> &chain)
{
    QStringList services;
    for (const Requirement &requirement : chain) {
        if (!services.contains(requirement.owner))
            services.append(requirement.owner);
    }
    return services;
}

QString places(const DependencyGraph *graph, const QString &owner, const QString &name)
{
    const QStringList found = graph ? graph->places_naming(owner, name) : QStringList();
    return found.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(found.join(QStringLiteral(", ")));
}

QString loop_sentence(const InsservMessage &message, const DependencyGraph *graph, QStringList &services)
{
    const Phase phase = message.stopping ? Phase::Stop : Phase::Start;
    const QList<Requirement> chain
        = graph ? rotated(graph->loop(message.subject, message.user, phase)) : QList<Requirement>();
    if (chain.isEmpty()) {
        services = QStringList{message.subject, message.user};
        services.removeAll(QString());
        if (message.user.isEmpty())
            return QCoreApplication::translate(
                       "InsservMessages",
                       "%1 is part of a dependency loop: change the dependencies of a service in it.")
                .arg(message.subject);
        return QCoreApplication::translate(
                   "InsservMessages",
                   "%1 and %2 require each other through a dependency loop: change the dependencies of one of them.")
            .arg(message.subject, message.user);
    }
    services = owners(chain);
    const QString text = message.stopping
        ? QCoreApplication::translate(
            "InsservMessages",
            "These services wait for each other at shutdown, so insserv cannot order them: %1. Remove one of these "
            "dependencies.")
        : QCoreApplication::translate(
            "InsservMessages",
            "These services wait for each other at boot, so insserv cannot order them: %1. Remove one of these "
            "dependencies.");
    return text.arg(chain_text(chain));
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
            // A name provided twice is no script's alone.
            const QString subject = match.captured(QStringLiteral("subject"));
            message.subject
                = pattern.kind == InsservMessage::ProvidedTwice ? subject : script_of(subject, names_to_scripts);
            message.user = script_of(match.captured(QStringLiteral("user")), names_to_scripts);
            message.levels = match.captured(QStringLiteral("levels")).simplified();
            message.stopping
                = match.captured(QStringLiteral("when")).startsWith(QLatin1String("stop"), Qt::CaseInsensitive);
            break;
        }
        messages.append(message);
    }
    return messages;
}

QString chain_text(const QList<Requirement> &chain)
{
    QStringList links;
    for (const Requirement &link : chain) {
        const QString target = link.owner == link.waiting ? link.required : link.waiting;
        QString text = QCoreApplication::translate("InsservMessages", "%1 %2 %3 (%4)")
                           .arg(link.owner, link_verb(link.field), link.name,
                                QCoreApplication::translate("DependencyGraph", "%1 in %2").arg(link.field, link.file));
        if (link.name != target) {
            text += link.facility_file.isEmpty()
                ? QCoreApplication::translate("InsservMessages", ", which %1 provides").arg(target)
                : QCoreApplication::translate("InsservMessages", ", which %1 provides (%2 in %3)")
                      .arg(target, link.name, link.facility_file);
        }
        links.append(text);
    }
    return links.join(QStringLiteral("; "));
}

Explanation explain(const InsservMessage &message, const DependencyGraph *graph)
{
    using M = InsservMessage;
    Explanation result;
    const QString &user = message.user, &subject = message.subject;
    switch (message.kind) {
    case M::Missing:
        result.sentence = QCoreApplication::translate(
                              "InsservMessages",
                              "%1 needs %2 in runlevels %3, where %2 does not start: start %2 there, or stop %1 there.")
                              .arg(user, subject, message.levels);
        result.services = QStringList{user};
        break;
    case M::NotEnabled:
        result.sentence
            = QCoreApplication::translate("InsservMessages",
                                          "%1 needs %2, which is not enabled: enable %2 or remove the dependency.")
                  .arg(user, subject);
        result.services = QStringList{user};
        break;
    case M::NotProvided:
        result.sentence
            = QCoreApplication::translate(
                  "InsservMessages", "%1 needs %2%3, which no script provides: install it or remove the dependency.")
                  .arg(user, subject, places(graph, user, subject));
        result.services = QStringList{user};
        break;
    case M::NotExecutable:
        result.sentence
            = QCoreApplication::translate(
                  "InsservMessages",
                  "The script %1 is not executable, so insserv leaves it out of the boot: make it executable.")
                  .arg(subject);
        break;
    case M::ProvidedTwice: {
        QStringList others = graph ? graph->providers(subject) : QStringList();
        others.removeAll(user);
        result.sentence = others.isEmpty()
            ? QCoreApplication::translate("InsservMessages",
                                          "%1 provides %2, which another script provides already: only one may.")
                  .arg(user, subject)
            : QCoreApplication::translate("InsservMessages",
                                          "%1 and %2 both provide %3: remove it from the Provides of one of them.")
                  .arg(user, others.join(QStringLiteral(", ")), subject);
        break;
    }
    case M::Loop:
        result.sentence = loop_sentence(message, graph, result.services);
        break;
    case M::AllFacility:
    {
        const QString file = graph ? graph->file_of(subject) : QString();
        result.sentence = QCoreApplication::translate(
                              "InsservMessages",
                              "%1 must wait for %2%3, which waits for every other service ($all): that cannot be met. "
                              "Remove %2 from the dependencies of %1, or $all from those of %2%4.")
                              .arg(user, subject, places(graph, user, subject),
                                   file.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(file));
        result.services = QStringList{user, subject};
        break;
    }
    case M::Overlap:
        result.sentence = QCoreApplication::translate(
                              "InsservMessages",
                              "The header of %1 both starts and stops it in the same runlevels: remove them from its "
                              "Default-Start or its Default-Stop.")
                              .arg(subject);
        break;
    case M::Expected:
    case M::Other:
        result.sentence = message.line;
        break;
    }
    if (graph) {
        result.services.erase(std::remove_if(result.services.begin(), result.services.end(),
                                             [graph](const QString &service) { return !graph->contains(service); }),
                              result.services.end());
    }
    return result;
}

QString plain_words(const InsservMessage &message)
{
    return explain(message).sentence;
}
