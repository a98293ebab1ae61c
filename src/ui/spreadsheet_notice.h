// The notice shown before the import window: which workbooks the import
// reads, with a box that turns the notice off for good.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tessaline {

class chemistry;

class TFNeedexcel : public QDialog {
    Q_OBJECT
  public:
    TFNeedexcel(chemistry& settings, const QString& product_name, QWidget* parent = nullptr);

    // With the box ticked, remembers that the user wants no more notices.
    void ok_buttonClick();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* no_more_cb = nullptr;
    QPushButton* ok_button = nullptr;

  private:
    chemistry& settings_;
};

} // namespace tessaline
