// Long work (reading a workbook, building faces) on a worker thread while the
// window waits without taking input; past half a second a progress window
// says what is going on, so that a million rows never look like a hang.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace tessaline {

class busy_work {
  public:
    explicit busy_work(QWidget* parent);
    ~busy_work();
    busy_work(const busy_work&) = delete;
    busy_work& operator=(const busy_work&) = delete;

    // Returns once `work` is done; an exception from it is thrown here. The
    // work must not touch what the window paints meanwhile.
    void run(const QString& label, const std::function<void()>& work);

    // The progress window once shown, else null.
    QProgressDialog* dialog() const { return dialog_.get(); }

    // Work shorter than this shows no progress window.
    static constexpr int quiet_milliseconds = 500;

  private:
    void show_dialog(const QString& label);

    QWidget* parent_;
    QElapsedTimer since_start_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace tessaline
