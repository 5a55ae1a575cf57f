#include "catalogue/header_file.h"

#include "catalogue/system_paths.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int chunk_size = 16384;

// The first candidate that exists is the source, even when it cannot be read.
// Only regular files are opened: a FIFO would block the reader, a device may act
// on being opened, and a directory cannot hold a header.
int open_source(const QString &name, const HeaderSources *sources)
{
    const HeaderSources::Entry entries[] = {
        sources ? sources->override_entry(name) : HeaderSources::Unknown,
        sources ? sources->script_entry(name) : HeaderSources::Unknown,
    };
    const QString directories[] = {overrides_path(), init_scripts_path()};
    for (int candidate = 0; candidate < 2; ++candidate) {
        if (entries[candidate] == HeaderSources::Missing)
            continue;
        const QByteArray path = QFile::encodeName(QStringLiteral("%1/%2").arg(directories[candidate], name));
        struct stat status {};
        if (entries[candidate] == HeaderSources::Unknown && ::stat(path.constData(), &status) != 0)
            continue;
        if (entries[candidate] == HeaderSources::Unknown && !S_ISREG(status.st_mode))
            return -1;
        return ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    }
    return -1;
}

} // namespace

HeaderFile::HeaderFile(const QString &name, const HeaderSources *sources)
    : descriptor(name.isNull() ? -1 : open_source(name, sources))
    , exhausted(descriptor < 0)
{
}

HeaderFile::HeaderFile(const QByteArray &content)
    : buffer(content)
    , exhausted(true)
{
}

HeaderFile::~HeaderFile()
{
    if (descriptor >= 0)
        ::close(descriptor);
}

bool HeaderFile::read_line(QByteArray &line)
{
    int end = buffer.indexOf('\n', position);
    while (end < 0 && fill())
        end = buffer.indexOf('\n', position);
    if (end < 0 && position >= buffer.size())
        return false;
    const int length = end < 0 ? buffer.size() - position : end + 1 - position;
    line = buffer.mid(position, length);
    position += length;
    return true;
}

// Appends the next chunk, dropping the lines already read.
bool HeaderFile::fill()
{
    if (exhausted)
        return false;
    char chunk[chunk_size];
    ssize_t count;
    do
        count = ::read(descriptor, chunk, sizeof chunk);
    while (count < 0 && errno == EINTR);
    exhausted = count <= 0;
    if (exhausted)
        return false;
    buffer.remove(0, position);
    position = 0;
    buffer.append(chunk, int(count));
    return true;
}
