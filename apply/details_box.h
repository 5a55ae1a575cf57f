#pragma once

class QMessageBox;
class QString;

// Details that list overrides and command lines read best in a fixed-width
// font, in an area wide enough for a header line.
void set_readable_details(QMessageBox &box, const QString &details);
