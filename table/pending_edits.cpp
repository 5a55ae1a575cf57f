#include "table/pending_edits.h"

#include "catalogue/system_paths.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

const QString start_word = QStringLiteral("start");
const QString stop_word = QStringLiteral("stop");
const QString ignore_word = QStringLiteral("ignore");
const QString enable_word = QStringLiteral("enable");
const QString disable_word = QStringLiteral("disable");

// The word of a value in the text: a runlevel's mark, or a service's state.
QString value_word(const QString &level, const QString &value)
{
    if (level.isEmpty())
        return value == QLatin1String("S") ? enable_word : value == QLatin1String("K") ? disable_word : QString();
    if (value.isEmpty())
        return ignore_word;
    return value == QLatin1String("S") ? start_word : value == QLatin1String("K") ? stop_word : QString();
}

QString word_value(const QString &word)
{
    if (word == start_word || word == enable_word)
        return QStringLiteral("S");
    if (word == stop_word || word == disable_word)
        return QStringLiteral("K");
    return QString();
}

QString edit_line(const ChangeKey &key, const QString &value)
{
    const QString word = value_word(key.second, value);
    const QString word_or_value = word.isEmpty() ? QStringLiteral("\"%1\"").arg(value) : word;
    return key.second.isEmpty() ? key.first.name + QLatin1Char(' ') + word_or_value
                                : QStringList{key.first.name, key.second, word_or_value}.join(QLatin1Char(' '));
}

QString refusal(EditFit fit)
{
    switch (fit) {
    case EditFit::UnknownRunlevel:
        return QCoreApplication::translate("PendingEdits", "no such runlevel");
    case EditFit::UnknownService:
        return QCoreApplication::translate("PendingEdits", "no such service in the table");
    case EditFit::InvalidValue:
        return QCoreApplication::translate("PendingEdits", "not an edit the table makes");
    case EditFit::Pending:
    case EditFit::InEffect:
        break;
    }
    return QString();
}

} // namespace

QByteArray edits_to_text(const ChangeMap &edits)
{
    QByteArray text;
    for (auto edit = edits.cbegin(); edit != edits.cend(); ++edit) {
        if (!value_word(edit.key().second, edit.value()).isEmpty())
            text += edit_line(edit.key(), edit.value()).toUtf8() + '\n';
    }
    return text;
}

// The two kinds of line differ in their number of words, and a level word
// belongs only to the longer one: "cron enable" and "cron 2 stop".
ChangeMap edits_from_text(const QByteArray &text, QStringList &not_understood)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    ChangeMap edits;
    for (const QString &line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString said = line.trimmed();
        if (said.isEmpty() || said.startsWith(QLatin1Char('#')))
            continue;
        const QStringList words = said.split(blanks);
        const bool state = words.size() == 2 && (words[1] == enable_word || words[1] == disable_word);
        const bool level
            = words.size() == 3 && (words[2] == start_word || words[2] == stop_word || words[2] == ignore_word);
        if (!state && !level) {
            not_understood.append(said);
            continue;
        }
        const QString level_name = level ? words[1] : QString();
        edits.insert({Service(words[0]), level_name}, word_value(words.last()));
    }
    return edits;
}

EditFit edit_fit(const ChangeKey &key, const QString &value, const ChangeMap &current)
{
    const QString &level = key.second;
    if (!level.isEmpty() && !all_runlevels().contains(level))
        return EditFit::UnknownRunlevel;
    const auto found = current.constFind(key);
    if (found == current.cend())
        return EditFit::UnknownService;
    const bool known_value = level.isEmpty()
        ? value == QLatin1String("S") || value == QLatin1String("K")
        : value.isEmpty() || value == QLatin1String("S") || value == QLatin1String("K");
    // Runlevel S is left, never stopped in: the table never offers "K" there.
    if (!known_value || (level == QLatin1String("S") && value == QLatin1String("K")))
        return EditFit::InvalidValue;
    return found.value() == value ? EditFit::InEffect : EditFit::Pending;
}

FittedEdits fit_edits(const ChangeMap &edits, const ChangeMap &current)
{
    FittedEdits fitted;
    for (auto edit = edits.cbegin(); edit != edits.cend(); ++edit) {
        const EditFit fit = edit_fit(edit.key(), edit.value(), current);
        if (fit == EditFit::Pending)
            fitted.pending.insert(edit.key(), edit.value());
        else if (fit == EditFit::InEffect)
            fitted.in_effect.insert(edit.key(), edit.value());
        else
            fitted.refused.append(QStringLiteral("%1 (%2)").arg(edit_line(edit.key(), edit.value()), refusal(fit)));
    }
    return fitted;
}

QString edit_description(const ChangeKey &key, const QString &value)
{
    const QString &name = key.first.name, &level = key.second;
    if (level.isEmpty())
        return value == QLatin1String("S") ? QCoreApplication::translate("PendingEdits", "%1: enable").arg(name)
                                           : QCoreApplication::translate("PendingEdits", "%1: disable").arg(name);
    if (value == QLatin1String("S"))
        return QCoreApplication::translate("PendingEdits", "%1: start on level %2").arg(name, level);
    if (value == QLatin1String("K"))
        return QCoreApplication::translate("PendingEdits", "%1: stop on level %2").arg(name, level);
    return QCoreApplication::translate("PendingEdits", "%1: ignore on level %2").arg(name, level);
}

QStringList edit_descriptions(const ChangeMap &edits)
{
    QStringList descriptions;
    for (auto edit = edits.cbegin(); edit != edits.cend(); ++edit)
        descriptions.append(edit_description(edit.key(), edit.value()));
    return descriptions;
}
