#pragma once

#include <QLatin1String>
#include <QString>

// The kinds of line inside an LSB header, recognised exactly as these patterns
// match a whole line (its end-of-line characters included, "\s" being the ASCII
// blanks, tab, newline, vertical tab, form feed and carriage return):
//   start and end     "^###\s+BEGIN INIT INFO\s*"   "^###\s+END INIT INFO\s*"
//   field line        "^#\s+([^:]+)(?::\s*)(.*)$"   (name, value)
//   any other comment "^#(.*)$"                     (continuation text)
// Matched by hand: every header of every service is read at each load, and the
// expression engine costs several times more than the reading.

// "###", blanks, the word, optional blanks, nothing else.
bool is_marker_line(const QString &line, QLatin1String word);
// The field name as written and the value without surrounding white space.
bool split_field_line(const QString &line, QString &name, QString &value);
// A comment line's text without surrounding white space.
bool split_comment_line(const QString &line, QString &text);
