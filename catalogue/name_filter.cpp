#include "catalogue/name_filter.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {

bool ascii(const char *text)
{
    for (; *text; ++text) {
        if (*text & 0x80)
            return false;
    }
    return true;
}

// Sets are plain lists of characters and ranges: no "^" negation, no "]" as
// its first member, and no backslash, whose reading differs between wildcards.
bool simple(const QByteArray &filter)
{
    if (!ascii(filter.constData()) || filter.contains('\\'))
        return false;
    for (int open = filter.indexOf('['); open >= 0; open = filter.indexOf('[', open + 1)) {
        const int close = filter.indexOf(']', open + 1);
        if (close < 0 || close == open + 1 || filter.at(open + 1) == '^')
            return false;
    }
    return true;
}

char other_case(char character)
{
    if (character >= 'a' && character <= 'z')
        return char(character - 'a' + 'A');
    if (character >= 'A' && character <= 'Z')
        return char(character - 'A' + 'a');
    return character;
}

// One element at pattern ("?", a set or a character) against one character;
// moves pattern past the element.
bool element_matches(const char *&pattern, char character, bool fold)
{
    const char element = *pattern++;
    if (element == '?')
        return true;
    if (element != '[')
        return element == character || (fold && other_case(element) == character);
    bool found = false;
    for (; *pattern != ']'; ++pattern) {
        const char low = *pattern;
        const char high = pattern[1] == '-' && pattern[2] != ']' ? pattern[2] : low;
        for (char candidate : {character, fold ? other_case(character) : character})
            found = found || (candidate >= low && candidate <= high);
        if (high != low)
            pattern += 2;
    }
    ++pattern;
    return found;
}

// "*" takes the shortest run that lets the rest match, as far as it has to.
bool glob_matches(const char *pattern, const char *name, bool fold)
{
    const char *star = nullptr;
    const char *resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = ++pattern;
            resume = name;
            continue;
        }
        const char *next = pattern;
        if (*pattern && element_matches(next, *name, fold)) {
            pattern = next;
            ++name;
            continue;
        }
        if (!star)
            return false;
        pattern = star;
        name = ++resume;
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

} // namespace

NameFilter::NameFilter(const QString &filter, Qt::CaseSensitivity sensitivity)
    : wildcard(QRegularExpression::wildcardToRegularExpression(filter),
               sensitivity == Qt::CaseInsensitive ? QRegularExpression::CaseInsensitiveOption
                                                  : QRegularExpression::NoPatternOption)
    , fold_case(sensitivity == Qt::CaseInsensitive)
{
    const QByteArray bytes = filter.toLatin1();
    if (simple(bytes))
        simple_filter = bytes;
}

bool NameFilter::accepts(const char *encoded_name)
{
    if (!simple_filter.isEmpty() && ascii(encoded_name))
        return glob_matches(simple_filter.constData(), encoded_name, fold_case);
    return wildcard.match(QFile::decodeName(encoded_name)).hasMatch();
}
