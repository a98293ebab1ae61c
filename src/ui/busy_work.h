// Long work (reading a workbook, building faces, opening a large graph file)
// on a worker thread while the window waits without taking input; past half
// a second a progress window says what is going on and offers Cancel, so
// that a million rows never look like a hang and never trap the user.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>
#include <stop_token>

class QProgressDialog;
class QWidget;

namespace tessaline {

class busy_work {
  public:
    explicit busy_work(QWidget* parent, int quiet_for = quiet_milliseconds);
    ~busy_work();
    busy_work(const busy_work&) = delete;
    busy_work& operator=(const busy_work&) = delete;

    // Returns true once `work` is done, false when the user stopped it: the
    // work is then asked to stop through its token and is expected to leave
    // by work_stopped within a fraction of a second, keeping nothing. Any
    // other exception from it is thrown here. The work must not touch what
    // the window paints meanwhile.
    bool run(const QString& label, const std::function<void(const std::stop_token&)>& work);

    // The progress window once shown, else null.
    QProgressDialog* dialog() const { return dialog_.get(); }

    // Work shorter than this shows no progress window.
    static constexpr int quiet_milliseconds = 500;

  private:
    void show_dialog(const QString& label);

    QWidget* parent_;
    int quiet_for_;
    QElapsedTimer since_start_;
    std::unique_ptr<QProgressDialog> dialog_;
    std::stop_source* current_stop_ = nullptr; // of the work now running
};

} // namespace tessaline
