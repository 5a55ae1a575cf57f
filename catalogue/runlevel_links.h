#pragma once

#include <QDir>
#include <QStringList>

// The entries of one runlevel directory, read with the system's own directory
// calls. QDir::entryList builds a file record and asks for the type of every
// entry, which makes up most of a table's load on a system of thousands of
// links; here a caller asks only about the entries it needs to know about.
class RunlevelLinks
{
public:
    explicit RunlevelLinks(const QDir &directory);
    ~RunlevelLinks();
    RunlevelLinks(const RunlevelLinks &) = delete;
    RunlevelLinks &operator=(const RunlevelLinks &) = delete;

    // The names the directory's name filter takes, in the directory's order.
    const QStringList &names() const { return entry_names; }
    // Whether an entry is one that QDir::Files lists: a regular file, or a
    // symbolic link that leads to one.
    bool leads_to_file(const QString &name) const;
    // What a symbolic link holds, as it holds it; empty for any other entry.
    QString target(const QString &name) const;

private:
    int descriptor = -1;
    QStringList entry_names;
};
