// The one way a failed command tells the user: a modal error box with OK,
// titled with the application's title. The command stops; the program goes on.
#pragma once

#include <QString>

class QWidget;

namespace tessaline {

// The message as the box shows it: a full stop is added when the last
// character sorts after "." (a letter or digit ends the text, not a mark).
QString error_report_text(const QString& message);

void report_error(QWidget* parent, const QString& message);

} // namespace tessaline
