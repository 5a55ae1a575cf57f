#include "catalogue/name_filter.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include <fnmatch.h>

namespace {

bool ascii(const char *text, size_t length)
{
    return std::all_of(text, text + length, [](char character) { return (character & 0x80) == 0; });
}

} // namespace

// fnmatch would take a backslash as an escape and "[!" as a negation, which
// QRegExp does not; it has no say over such filters.
NameFilter::NameFilter(const QString &filter, Qt::CaseSensitivity sensitivity)
    : wildcard(filter, sensitivity, QRegExp::Wildcard)
    , flags(FNM_NOESCAPE | (sensitivity == Qt::CaseInsensitive ? FNM_CASEFOLD : 0))
{
    const QByteArray bytes = filter.toLatin1();
    if (ascii(bytes.constData(), size_t(bytes.size())) && !bytes.contains("[!") && !bytes.contains("[:")
        && !bytes.contains("[=") && !bytes.contains("[."))
        ascii_filter = bytes;
}

bool NameFilter::accepts(const char *encoded_name)
{
    if (!ascii_filter.isEmpty() && ascii(encoded_name, std::strlen(encoded_name)))
        return ::fnmatch(ascii_filter.constData(), encoded_name, flags) == 0;
    return wildcard.exactMatch(QFile::decodeName(encoded_name));
}
