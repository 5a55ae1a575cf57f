#include "catalogue/header_sources.h"

#include "catalogue/system_paths.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>

namespace {

// False when the directory could not be read for another reason than being
// absent: then it tells nothing. An absent directory holds no files.
bool read_entries(const QString &path, QHash<QString, bool> &files)
{
    DIR *stream = ::opendir(QFile::encodeName(path).constData());
    if (!stream)
        return errno == ENOENT;
    while (const dirent *entry = ::readdir(stream))
        files.insert(QFile::decodeName(entry->d_name), entry->d_type == DT_REG);
    ::closedir(stream);
    return true;
}

} // namespace

HeaderSources::HeaderSources()
    : overrides_read(read_entries(overrides_path(), overrides))
    , scripts_read(read_entries(init_scripts_path(), scripts))
{
}

HeaderSources::Entry HeaderSources::entry(const QHash<QString, bool> &files, bool read, const QString &name)
{
    if (!read)
        return Unknown;
    const auto found = files.constFind(name);
    if (found == files.cend())
        return Missing;
    return found.value() ? PlainFile : Unknown;
}
