#include "update_window.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace tessaline {

TFUpdate::TFUpdate(const QString& product_name, const QString& download_address_, QWidget* parent)
    : QDialog(parent), download_address(download_address_) {
    setObjectName(QStringLiteral("FUpdate"));
    setWindowTitle(product_name + tr(" new update"));
    // Laid out in fixed pixels, as the other small windows are.
    setFixedSize(321, 188);
    QFont bold = font();
    bold.setBold(true);

    Label1 = new QLabel(tr("A new update is available"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(bold);
    Label1->move(68, 52);
    Label1->adjustSize();
    Label2 = new QLabel(tr("Would You like to download it now ?"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(bold);
    Label2->move(68, 76);
    Label2->adjustSize();

    yes_button = new QPushButton(tr("Yes"), this);
    yes_button->setObjectName(QStringLiteral("yes_button"));
    yes_button->setFont(bold);
    yes_button->setGeometry(76, 132, 75, 25);
    no_button = new QPushButton(tr("No"), this);
    no_button->setObjectName(QStringLiteral("no_button"));
    no_button->setFont(bold);
    no_button->setGeometry(184, 132, 75, 25);
    setTabOrder(yes_button, no_button);
    yes_button->setDefault(true);
    yes_button->setFocus();

    connect(yes_button, &QPushButton::clicked, this, &TFUpdate::yes_buttonClick);
    connect(no_button, &QPushButton::clicked, this, &TFUpdate::no_buttonClick);
}

void TFUpdate::yes_buttonClick() {
    // Whether a browser started is not reported.
    QDesktopServices::openUrl(QUrl(download_address));
    accept();
}

void TFUpdate::no_buttonClick() {
    accept();
}

} // namespace tessaline
