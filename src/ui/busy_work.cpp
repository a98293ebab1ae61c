#include "busy_work.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <exception>
#include <thread>

namespace tessaline {

busy_work::busy_work(QWidget* parent) : parent_(parent) {
    since_start_.start();
}

busy_work::~busy_work() = default;

void busy_work::show_dialog(const QString& label) {
    if (!dialog_) {
        dialog_ = std::make_unique<QProgressDialog>(label, QString(), 0, 0, parent_);
        dialog_->setObjectName(QStringLiteral("import_progress"));
        dialog_->setWindowTitle(QApplication::applicationDisplayName());
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->show();
    } else {
        dialog_->setLabelText(label);
    }
}

void busy_work::run(const QString& label, const std::function<void()>& work) {
    if (dialog_) dialog_->setLabelText(label);
    QEventLoop loop;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [this, &label] { show_dialog(label); });
    if (!dialog_) later.start(std::max<qint64>(quiet_milliseconds - since_start_.elapsed(), 0));
    // Paints go on; clicks and keys wait until the work is done, so that no
    // handler runs against half-made state.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (error) std::rethrow_exception(error);
}

} // namespace tessaline
