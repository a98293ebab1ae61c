#include "about_window.h"

#include "product.h"

#include "net/update_address.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace tessaline {

void show_about_window(QWidget* parent) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("about_window"));
    box.setWindowTitle(
        QCoreApplication::translate("about_window", "About %1").arg(product::name()));
    box.setIconPixmap(QIcon(QStringLiteral(":/icons/tessaline.svg")).pixmap(64, 64));
    box.setTextFormat(Qt::RichText);
    const QString site = site_address();
    box.setText(
        QStringLiteral("<h3>%1 %2</h3><p>%3</p><p><a href=\"%4\">%4</a></p>")
            .arg(product::name(), product::version(),
                 QCoreApplication::translate(
                     "about_window", "Turns X, Y and Z columns of a spreadsheet into a 3-D graph "
                                     "that you can turn, zoom, measure and save."),
                 site.toHtmlEscaped()));
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace tessaline
