#pragma once

#include "catalogue/dependency_graph.h"

#include <QHash>
#include <QList>
#include <QString>

// One line of insserv's error output, read for what it says about which services.
struct InsservMessage
{
    enum Kind {
        Missing,       // a required service does not start in runlevels where its user does
        NotEnabled,    // a required service has no links at all
        NotProvided,   // no script provides a required name
        NotExecutable, // a script insserv leaves out of the boot
        ProvidedTwice, // two scripts provide one name
        Loop,          // services that require each other
        AllFacility,   // a required service asks to run after everything
        Overlap,       // a header starts and stops a service in the same runlevel
        Expected,      // the warnings of services disabled the Debian way
        Other,
    };

    Kind kind = Other;
    QString subject; // the service the line is about: the missing one, the unexecutable one
    QString user;    // the service that needs it
    QString levels;  // "2 3 4 5"
    QString line;    // insserv's own words
    bool stopping = false; // a loop or $all at shutdown rather than at boot

    bool is_fatal() const { return kind != Expected && kind != Overlap && kind != Other; }
};

// Names as insserv prints them (a provided name such as "avahi") are turned into
// the scripts that provide them ("avahi-daemon") through names_to_scripts.
QList<InsservMessage> parse_insserv_messages(const QString &text, const QHash<QString, QString> &names_to_scripts);

// The message as a sentence that names the services and what to do, and the
// services whose dependencies the user may want to edit for it.
struct Explanation
{
    QString sentence;
    QStringList services;
};

// With the graph of the headers the message is about, a loop is told as its
// whole chain and the other sentences name the fields and files concerned.
Explanation explain(const InsservMessage &message, const DependencyGraph *graph = nullptr);
QString plain_words(const InsservMessage &message);

// "a requires b (Required-Start in FILE); b requires $x (...), which a provides (...)"
QString chain_text(const QList<Requirement> &chain);
