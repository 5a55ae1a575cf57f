#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One entry of a runlevel directory, such as "S02cron" leading to "../init.d/cron".
struct RunlevelLink
{
    QString runlevel;
    QString name;
    QString target;             // what the symbolic link holds; empty for an entry that is none
    bool leads_to_file = false; // only such links start or stop a service

    QChar kind() const { return name.at(0).toUpper(); }
    int sequence() const { return name.mid(1, 2).toInt(); }
    QString service() const { return name.mid(3); }
    // "rc2.d/S02cron -> ../init.d/cron"
    QString text() const;

    bool operator==(const RunlevelLink &other) const
    {
        return runlevel == other.runlevel && name == other.name && target == other.target
            && leads_to_file == other.leads_to_file;
    }
    bool operator!=(const RunlevelLink &other) const { return !(*this == other); }
};

// Per runlevel, 'S' where a service is started and 'K' where it is stopped; a
// runlevel without either is absent.
using LinkStates = QMap<QString, QChar>;

// The boot configuration of a machine as it is on disk: what insserv starts
// from (the scripts and the overrides) and what it made of them (the links).
// Reading it changes nothing; two readings compare service by service.
struct BootConfiguration
{
    QMap<QString, QList<RunlevelLink>> links; // by service, in runlevel order
    QMap<QString, QByteArray> overrides;      // every override's bytes, by service
    QHash<QString, bool> scripts;             // the entries of the scripts directory: whether a plain file
    // insserv's own ".depend.*" files beside the scripts, which startpar reads
    // for the order of a parallel boot: they go with the links.
    QMap<QString, QByteArray> generated;

    QList<RunlevelLink> links_of(const QString &service) const { return links.value(service); }
    LinkStates states_of(const QString &service) const;
    bool linked(const QString &service) const;
    bool has_script(const QString &service) const { return scripts.contains(service); }
};

// Reads the runlevel directories, the overrides and the list of scripts under
// root (empty: the machine's own). A directory that is missing reads as empty.
BootConfiguration read_boot_configuration(const QString &root);

// The services whose links (names, targets) or override (presence, bytes)
// differ between two readings, in the order of their names.
QStringList changed_services(const BootConfiguration &before, const BootConfiguration &after);

// "S 2 3 4 5" style text of where the states hold one kind.
QString runlevels_text(const LinkStates &states, QChar kind);
