#include "error_report.h"

#include <QApplication>
#include <QMessageBox>

namespace tessaline {

QString error_report_text(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

void report_error(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    error_report_text(message), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("error_report"));
    box.exec();
}

} // namespace tessaline
