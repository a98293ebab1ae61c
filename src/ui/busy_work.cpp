#include "busy_work.h"

#include "base/work_stopped.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <exception>
#include <thread>

namespace tessaline {

namespace {

bool is_user_input(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// While work runs only the progress window takes input: clicks and keys
// elsewhere are dropped, and no window closes, so that no handler runs
// against half-made state.
class input_gate : public QObject {
  public:
    explicit input_gate(const std::unique_ptr<QProgressDialog>& dialog) : dialog_(dialog) {
        qApp->installEventFilter(this);
    }
    ~input_gate() override { qApp->removeEventFilter(this); }
    input_gate(const input_gate&) = delete;
    input_gate& operator=(const input_gate&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!is_user_input(event->type()) || in_dialog(watched)) return false;
        event->ignore();
        return true;
    }

  private:
    bool in_dialog(QObject* watched) const {
        const QProgressDialog* dialog = dialog_.get();
        if (!dialog) return false;
        if (watched->isWindowType()) return watched == dialog->windowHandle();
        if (!watched->isWidgetType()) return false;
        const auto* widget = static_cast<const QWidget*>(watched);
        return widget == dialog || dialog->isAncestorOf(widget);
    }

    const std::unique_ptr<QProgressDialog>& dialog_;
};

} // namespace

busy_work::busy_work(QWidget* parent, int quiet_for) : parent_(parent), quiet_for_(quiet_for) {
    since_start_.start();
}

busy_work::~busy_work() = default;

void busy_work::show_dialog(const QString& label) {
    if (!dialog_) {
        dialog_ = std::make_unique<QProgressDialog>(label, QObject::tr("Cancel"), 0, 0, parent_);
        dialog_->setObjectName(QStringLiteral("import_progress"));
        dialog_->setWindowTitle(QApplication::applicationDisplayName());
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        QObject::connect(dialog_.get(), &QProgressDialog::canceled, dialog_.get(), [this] {
            if (!current_stop_) return;
            current_stop_->request_stop();
            dialog_->setLabelText(QObject::tr("Stopping..."));
        });
        dialog_->show();
    } else {
        dialog_->setLabelText(label);
    }
}

bool busy_work::run(const QString& label, const std::function<void(const std::stop_token&)>& work) {
    std::stop_source stop;
    current_stop_ = &stop;
    if (dialog_) {
        // A Cancel of an earlier step left the window stopped.
        dialog_->reset();
        dialog_->setRange(0, 0);
        dialog_->setLabelText(label);
        dialog_->show();
    }
    const input_gate gate(dialog_);
    QEventLoop loop;
    std::exception_ptr error;
    bool stopped = false;
    std::thread worker([&] {
        try {
            work(stop.get_token());
        } catch (const work_stopped&) {
            stopped = true;
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [this, &label] { show_dialog(label); });
    if (!dialog_) later.start(std::max<qint64>(quiet_for_ - since_start_.elapsed(), 0));
    loop.exec();
    worker.join();
    current_stop_ = nullptr;
    if (error && !stop.stop_requested()) std::rethrow_exception(error);
    return !stopped && !stop.stop_requested();
}

} // namespace tessaline
