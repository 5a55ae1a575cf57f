#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A generated boot configuration of a given number of services under a root
// directory: init scripts with realistic LSB headers, the insserv configuration
// with the usual virtual facilities, links in the runlevel directories for most
// services (a few disabled the Debian way, with stop links only), a few
// overrides, and the listing insserv would print for it.
class SyntheticSystem
{
public:
    SyntheticSystem(const QString &root, int size);

    void write() const;
    // Puts the generated overrides back and removes every other one.
    void restore_overrides() const;

    // "/sbin/insserv" and "insserv" on PATH become the given instant fake, which
    // prints the generated listing for "-s" and succeeds at anything else.
    void install_fake_insserv(const QString &program) const;
    // The same two programs become the real insserv, every path of it confined to
    // the root (-p, -o, -c and -i).
    void install_real_insserv() const;

    QString root_path() const { return root; }
    QString override_path(const QString &name) const;
    QStringList names() const;

private:
    struct Script
    {
        QString name;
        QString alias;
        QStringList required;
        QStringList should;
        QStringList start_levels;
        QStringList stop_levels;
        bool linked = true;
        bool disabled_by_stop_links = false; // as "update-rc.d NAME disable" leaves it
        bool executable = true;
        bool overridden = false;
        int level = 1;
    };

    void add_base_scripts();
    void add_generated_scripts(int count);
    void compute_levels();
    QByteArray header(const Script &script, bool as_override) const;
    QByteArray script_text(const Script &script) const;
    QByteArray listing() const;
    void write_links(const Script &script) const;
    void write_program(const QString &relative, const QByteArray &text) const;
    int start_sequence(const Script &script) const { return script.level; }
    int kill_sequence(const Script &script) const { return max_level + 1 - script.level; }

    QString root;
    QList<Script> scripts;
    int max_level = 1;
};
