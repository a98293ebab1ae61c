// The window that offers the download page when the update server names
// another version.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tessaline {

class TFUpdate : public QDialog {
    Q_OBJECT
  public:
    TFUpdate(const QString& product_name, const QString& download_address,
             QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* yes_button;
    QPushButton* no_button;

  private:
    void yes_buttonClick();
    void no_buttonClick();

    QString download_address;
};

} // namespace tessaline
