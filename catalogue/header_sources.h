#pragma once

#include <QHash>
#include <QString>

// The entries of the overrides directory and of "/etc/init.d" as one reading of
// each found them, for reading the headers of many services in a row. Where it
// shows that a service has no file in a directory, or that its file there is a
// plain file, the reader need not ask the system about that path again: two
// system calls fewer a header. Links, and entries of unknown type, are still
// looked up file by file.
class HeaderSources
{
public:
    enum Entry { Missing, PlainFile, Unknown };

    HeaderSources();

    Entry override_entry(const QString &name) const { return entry(overrides, overrides_read, name); }
    Entry script_entry(const QString &name) const { return entry(scripts, scripts_read, name); }

private:
    static Entry entry(const QHash<QString, bool> &files, bool read, const QString &name);

    // Name to whether the entry is a plain file.
    QHash<QString, bool> overrides;
    QHash<QString, bool> scripts;
    bool overrides_read = false;
    bool scripts_read = false;
};
