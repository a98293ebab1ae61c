// tessaline: the desktop program. Opens the main window, with the graph file
// named by the first argument if there is one.
#include "ui/application.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[]) {
    // --help and --version answer without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const tessaline::command_line options = tessaline::parse_command_line(arguments);
    if (options.exit) {
        std::fputs(options.output.toLocal8Bit().constData(), options.exit_code ? stderr : stdout);
        return options.exit_code;
    }

    tessaline::set_default_surface_format();
    tessaline::TApplication app(argc, argv);
    tessaline::set_application_identity(app);

    tessaline::TFMain window;
    window.move(QGuiApplication::primaryScreen()->availableGeometry().center() -
                window.rect().center());
    window.show();
    window.open_start_file(options.graph_file);
    return app.exec();
}
