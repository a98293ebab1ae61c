// Shows the main window on a graph file and saves a picture of the whole
// window, and with a workbook also the import window with its columns
// picked: for the README and for reviewing the layout. Run it on a display
// (scripts/window-screenshot.sh uses a virtual one).
#include "ui/application.h"
#include "ui/import_grid.h"
#include "ui/import_window.h"
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
    if (argc != 3 && argc != 5) {
        std::fputs("usage: tessaline-window-shot GRAPH.xyz OUT.png [WORKBOOK IMPORT.png]\n",
                   stderr);
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
    if (argc == 3) return 0;

    // The first sheet, titles in row 1, data from row 2 in columns A to C.
    tessaline::TFFiles files(window);
    files.show();
    wait(300);
    files.open_file(QString::fromLocal8Bit(argv[3]));
    files.chosen_sheet = 0;
    files.title_row = 0;
    files.data_begin_row = 1;
    files.x_column = 0;
    files.y_column = 1;
    files.z_column = 2;
    files.refresh_captions();
    files.update_start_button();
    files.Grid1->viewport()->update();
    wait(300);
    if (!files.grab().save(QString::fromLocal8Bit(argv[4]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[4]);
        return 1;
    }
    return 0;
}
