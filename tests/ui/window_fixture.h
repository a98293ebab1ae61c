// A shown main window with its view's context, and helpers to answer the
// modal dialogs a command opens.
#pragma once

#include "ui/main_window.h"
#include "ui/view_panel.h"

#include "view/opengl_screen.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace tessaline::test {

// Runs `act` on the next modal window of type T as soon as it shows, from
// inside its own event loop; other modal windows are left alone.
template <typename T> void when_modal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        // Found among the shown windows: which one is active depends on the
        // display's focus, which other tests on it may hold.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            T* modal = qobject_cast<T*>(w);
            if (!modal || !modal->isVisible() || !modal->isModal()) continue;
            timer->stop();
            timer->deleteLater();
            // Once its own start-up (a file dialog fills in its last choice)
            // is through.
            QTimer::singleShot(50, modal, [act, modal] { act(modal); });
            return;
        }
    });
    timer->start();
}

// Chooses `path` in the next file dialog (an empty path cancels it) and
// tells the dialog's title.
inline void answer_file_dialog(const QString& path, QString* title = nullptr) {
    when_modal<QFileDialog>([path, title](QFileDialog* dialog) {
        if (title) *title = dialog->windowTitle();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed as a user does: selectFile leaves the name field alone while
        // it has the focus.
        const QFileInfo file(path);
        dialog->setDirectory(file.absolutePath());
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(file.fileName());
        static_cast<QDialog*>(dialog)->accept();
    });
}

struct message_seen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool shown = false;
};

// Reads and closes the next message box.
inline void answer_message_box(message_seen* seen) {
    when_modal<QMessageBox>([seen](QMessageBox* box) {
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->shown = true;
        box->accept();
    });
}

// Answers the next question about unsaved changes with `button` (Save,
// Discard or Cancel) and counts it in `asked`.
inline void answer_unsaved_changes(QMessageBox::StandardButton button, int* asked = nullptr) {
    when_modal<QMessageBox>([button, asked](QMessageBox* box) {
        if (asked && box->objectName() == QLatin1String("unsaved_changes")) ++*asked;
        box->button(button) ? box->button(button)->click() : box->reject();
    });
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<TFMain>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(window->screen_ready) << "the view got no OpenGL context";
        ASSERT_NE(window->screen, nullptr);
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override { window.reset(); }

    space& scene() { return window->screen->get_space(); }
    TOpenGLScreen& screen() { return *window->screen; }
    Datafield& field() { return *window->datafield; }
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    template <typename T> T* find(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* button) {
        QToolButton* b = find<QToolButton>(button);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << button;
        b->click();
    }
    // Counts the redraws a call asks for.
    int redraws(const std::function<void()>& act) {
        const int before = window->redraw_requests;
        act();
        return window->redraw_requests - before;
    }

    std::unique_ptr<TFMain> window;
    QTemporaryDir folder;
};

} // namespace tessaline::test
