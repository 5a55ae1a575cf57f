#pragma once

#include "catalogue/service.h"

#include <QString>

// The one error of the operations that change the system. It carries the
// title and text of the message box that the catching operation shows.
class InsservError
{
public:
    explicit InsservError(const QString &detail, const Service &service = Service());

    QString title() const { return title_text; }
    QString message() const { return message_text; }

    // The critical box every operation that changes the system ends with on
    // failure; the details, if any, say what ran and what was restored.
    void show(const QString &details = QString()) const;

private:
    QString title_text;
    QString message_text;
};
