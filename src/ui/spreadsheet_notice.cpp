#include "spreadsheet_notice.h"

#include "error_report.h"

#include "settings/chemistry.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace tessaline {

TFNeedexcel::TFNeedexcel(chemistry& settings, const QString& product_name, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("FNeedexcel"));
    setWindowTitle(tr("Note !"));
    setFixedSize(514, 295);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QFont bold = font();
    bold.setBold(true);

    auto label = [this, &bold](const char* name, const QString& text, int x, int y) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(bold);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    Label1 = label("Label1", tr("It's IMPORTANT !"), 24, 28);
    Label2 = label("Label2",
                   tr("%1 import data from MS Excel files (*.xls, *.xlsx) or").arg(product_name),
                   20, 60);
    Label4 = label("Label4", tr("OpenOffice Calc (*.ods) files only"), 20, 80);
    // The workbooks are read by the program itself; no office suite is needed.
    Label3 =
        label("Label3", tr("%1 reads these workbooks itself: no office suite").arg(product_name),
              20, 108);
    Label6 = label("Label6", tr("needs to be installed on your PC"), 20, 128);

    no_more_cb = new QCheckBox(tr("don't show this message again"), this);
    no_more_cb->setObjectName(QStringLiteral("no_more_cb"));
    no_more_cb->setFont(bold);
    no_more_cb->setGeometry(20, 164, 289, 17);

    ok_button = new QPushButton(tr("OK"), this);
    ok_button->setObjectName(QStringLiteral("ok_button"));
    ok_button->setFont(bold);
    ok_button->setGeometry(208, 212, 75, 25);
    ok_button->setDefault(true);
    connect(ok_button, &QPushButton::clicked, this, &TFNeedexcel::ok_buttonClick);
}

void TFNeedexcel::ok_buttonClick() {
    if (no_more_cb->isChecked() &&
        !settings_.write_setting(QStringLiteral("excel_tip"), QStringLiteral("1")))
        report_error(this, tr("Cannot store the setting in %1").arg(settings_.file_name()));
    accept();
}

} // namespace tessaline
