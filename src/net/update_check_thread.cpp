#include "update_check_thread.h"

#include "http_get.h"

#include <exception>

namespace tessaline {

TUpdateCheckThread::TUpdateCheckThread(QObject* window_object, update_check_window* window_)
    : window_guard(window_object), window(window_), gui_side(new QObject(this)) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TUpdateCheckThread::start_check() {
    start(QThread::LowPriority);
}

bool TUpdateCheckThread::call_gui(const std::function<void()>& call) {
    if (cancelled) return false;
    bool delivered = false;
    QMetaObject::invokeMethod(
        gui_side,
        [&] {
            // On the GUI thread: the window may have closed meanwhile.
            if (!window_guard || cancelled) return;
            call();
            delivered = true;
        },
        Qt::BlockingQueuedConnection);
    return delivered;
}

void TUpdateCheckThread::take_request_values() {
    host = window->update_host_value();
    path = window->update_path_value();
    token = window->installation_token();
}

void TUpdateCheckThread::run() {
    try {
        if (!call_gui([this] { take_request_values(); })) return;
        if (host.isEmpty()) return;
        const QByteArray body =
            http_get(host, path + QStringLiteral("&seed=") + token, {}, &cancelled);
        if (body.isEmpty()) return;
        const QString reply = QString::fromLatin1(body);
        call_gui([this, &reply] { window->update_reply_arrived(reply); });
    } catch (const std::exception&) {
        // The check reports nothing; the program goes on as if it had not run.
    }
}

void update_check_owner::start(QObject* window_object, update_check_window* window) {
    thread = new TUpdateCheckThread(window_object, window);
    thread->start_check();
}

update_check_owner::~update_check_owner() {
    if (!thread) return;
    thread->cancel();
    // The thread may be blocked on a call into this (GUI) thread; that call
    // returns once events run again, so the wait is bounded, not required.
    thread->wait(2000);
}

} // namespace tessaline
