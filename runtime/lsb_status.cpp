#include "runtime/lsb_status.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const char status_word[] = "status";

// The line of text around position at, without its newline.
QByteArray line_around(const QByteArray &text, int at)
{
    const int start = text.lastIndexOf('\n', at) + 1;
    int end = text.indexOf('\n', at);
    if (end < 0)
        end = text.size();
    return text.mid(start, end - start);
}

bool is_comment(const QByteArray &line)
{
    return line.trimmed().startsWith('#');
}

// "status)", "stat|status)", "(status)", "'status' | reload )" at the start of a line.
const QRegularExpression &case_label()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*\(?\s*(?:[^\s()|;]+\s*\|\s*)*["']?status["']?\s*(?:\|\s*[^\s()|;]+\s*)*\))"));
    return pattern;
}

// [ "$1" = status ], test "${1}" == "status"
const QRegularExpression &comparison()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(["']?\$\{?1\}?["']?\s*==?\s*["']?status["']?(?:\s|\]|;|$))"));
    return pattern;
}

// echo "Usage: $0 {start|stop|status}" >&2
const QRegularExpression &usage()
{
    static const QRegularExpression pattern(QStringLiteral(R"(usage:.*[\s{|\[]status(?:[\s}|\]"']|$))"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

bool offers_status(const QString &line)
{
    return case_label().match(line).hasMatch() || comparison().match(line).hasMatch()
        || usage().match(line).hasMatch();
}

} // namespace

RunState run_state_of(int exit_status)
{
    switch (exit_status) {
    case 0:
        return RunState::Running;
    case 1:
    case 2:
        return RunState::Dead;
    case 3:
        return RunState::NotRunning;
    default:
        return RunState::Unknown;
    }
}

// Only the lines that hold the word are looked at: most scripts have a handful,
// and a table of a thousand services reads a thousand scripts.
bool has_status_action(const QByteArray &script)
{
    if (script.startsWith("#!") && line_around(script, 0).contains("init-d-script"))
        return true;
    for (int at = script.indexOf(status_word); at >= 0;) {
        const QByteArray line = line_around(script, at);
        if (!is_comment(line) && offers_status(QString::fromUtf8(line)))
            return true;
        const int end = script.indexOf('\n', at);
        at = end < 0 ? -1 : script.indexOf(status_word, end);
    }
    return false;
}

QProcessEnvironment clean_environment(const QProcessEnvironment &caller)
{
    QProcessEnvironment clean;
    clean.insert(QStringLiteral("PATH"),
                 QStringLiteral("/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"));
    for (const QString &name : caller.keys()) {
        if (name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE") || name.startsWith(QLatin1String("LC_")))
            clean.insert(name, caller.value(name));
    }
    return clean;
}
