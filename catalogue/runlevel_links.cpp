#include "catalogue/runlevel_links.h"

#include "catalogue/name_filter.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Compiled once for the life of the program, like QDir's own caches.
QList<NameFilter *> name_filters(const QDir &directory)
{
    static std::map<std::pair<QString, int>, std::unique_ptr<NameFilter>> compiled;
    const Qt::CaseSensitivity sensitivity =
        directory.filter() & QDir::CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QList<NameFilter *> filters;
    for (const QString &filter : directory.nameFilters()) {
        std::unique_ptr<NameFilter> &name_filter = compiled[{filter, int(sensitivity)}];
        if (!name_filter)
            name_filter = std::make_unique<NameFilter>(filter, sensitivity);
        filters.append(name_filter.get());
    }
    return filters;
}

} // namespace

RunlevelLinks::RunlevelLinks(const QDir &directory)
    : descriptor(::open(QFile::encodeName(directory.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    // The stream takes its own descriptor: this one stays for leads_to_file.
    DIR *stream = descriptor < 0 ? nullptr : ::fdopendir(::dup(descriptor));
    if (!stream)
        return;
    const QList<NameFilter *> filters = name_filters(directory);
    while (const dirent *entry = ::readdir(stream)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (filters.isEmpty() || std::any_of(filters.cbegin(), filters.cend(), [name](NameFilter *filter) {
                return filter->accepts(name);
            }))
            entry_names.append(QFile::decodeName(name));
    }
    ::closedir(stream);
}

RunlevelLinks::~RunlevelLinks()
{
    if (descriptor >= 0)
        ::close(descriptor);
}

bool RunlevelLinks::leads_to_file(const QString &name) const
{
    struct stat status {};
    return descriptor >= 0 && ::fstatat(descriptor, QFile::encodeName(name).constData(), &status, 0) == 0
        && S_ISREG(status.st_mode);
}

QString RunlevelLinks::target(const QString &name) const
{
    if (descriptor < 0)
        return QString();
    char buffer[4096];
    const ssize_t size = ::readlinkat(descriptor, QFile::encodeName(name).constData(), buffer, sizeof buffer);
    return size <= 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(size)));
}
