// Shows the main window on a graph file and saves a picture of the whole
// window: for the README and for reviewing the layout. Run it on a display
// (scripts/window-screenshot.sh uses a virtual one).
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/view_panel.h"

#include "view/opengl_screen.h"

#include <QApplication>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: tessaline-window-shot GRAPH.xyz OUT.png\n", stderr);
        return 2;
    }
    qputenv("TESSALINE_UPDATE_HOST", "");
    tessaline::set_default_surface_format();
    QApplication app(argc, argv);
    tessaline::set_application_identity(app);
    // The user's own settings stay untouched.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    tessaline::TFMain window;
    window.show();
    wait(300);
    window.open_start_file(QString::fromLocal8Bit(argv[1]));
    // A point picked in the middle of the view shows its label in the picture.
    if (window.screen) {
        const QPoint middle = window.space_panel->rect().center();
        window.space_panelMouseDown(middle);
        window.space_panelMouseUp();
        window.redraw();
    }
    wait(300);
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
