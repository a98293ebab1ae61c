// The background update check: once per start it asks the update server for
// the current version and hands a non-empty reply to the main window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

namespace tessaline {

// What the check reads from and gives to the main window; called on the GUI
// thread only, and never once the window is gone.
class update_check_window {
  public:
    virtual ~update_check_window() = default;
    virtual QString update_host_value() const = 0;
    virtual QString update_path_value() const = 0;
    virtual QString installation_token() = 0;
    // Stores the reply as the window's update_reply and handles it.
    virtual void update_reply_arrived(const QString& reply) = 0;
};

class TUpdateCheckThread : public QThread {
    Q_OBJECT
  public:
    // `window_object` is the main window as a QObject (its destruction is
    // watched); `window` the same window as the check sees it.
    TUpdateCheckThread(QObject* window_object, update_check_window* window);

    // Starts one check at low priority; the object deletes itself when done.
    void start_check();
    // Asks a running check to give up soon (the window is closing).
    void cancel() { cancelled = true; }

    QString host, path, token;

  protected:
    void run() override;

  private:
    void take_request_values();
    bool call_gui(const std::function<void()>& call);

    QPointer<QObject> window_guard; // read on the GUI thread only
    update_check_window* window;
    QObject* gui_side; // lives on the GUI thread; blocking calls land there
    std::atomic<bool> cancelled{false};
};

// Held by the main window: starts the check and, when the window goes, tells
// a check still waiting for the network to give up, so it never calls into a
// window that is gone nor keeps the program from ending.
class update_check_owner {
  public:
    update_check_owner() = default;
    update_check_owner(const update_check_owner&) = delete;
    update_check_owner& operator=(const update_check_owner&) = delete;
    ~update_check_owner();
    void start(QObject* window_object, update_check_window* window);

  private:
    QPointer<TUpdateCheckThread> thread;
};

} // namespace tessaline
