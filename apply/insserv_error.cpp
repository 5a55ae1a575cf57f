#include "apply/insserv_error.h"

#include "apply/details_box.h"

#include <QMessageBox>
#include <QObject>

InsservError::InsservError(const QString &detail, const Service &service)
    : title_text(QObject::tr("Error"))
{
    if (service.name.isEmpty())
        message_text = detail;
    else if (detail.isEmpty())
        message_text = QObject::tr("An error has occured on processing \"%1\"  service!").arg(service.name);
    else
        message_text = QObject::tr("An error has occured on processing \"%1\"  service: %2").arg(service.name, detail);
}

void InsservError::show(const QString &details) const
{
    QMessageBox box(QMessageBox::Critical, title_text, message_text, QMessageBox::Ok);
    set_readable_details(box, details);
    box.exec();
}
