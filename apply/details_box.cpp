#include "apply/details_box.h"

#include <QFontDatabase>
#include <QMessageBox>
#include <QTextEdit>

void set_readable_details(QMessageBox &box, const QString &details)
{
    box.setDetailedText(details);
    if (details.isEmpty())
        return;
    auto *text = box.findChild<QTextEdit *>();
    if (!text)
        return;
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(text->font());
    // The box gives its details a fixed height of a few lines.
    text->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('x')) * 72);
    text->setFixedHeight(metrics.lineSpacing() * 16);
    text->setLineWrapMode(QTextEdit::NoWrap);
}
