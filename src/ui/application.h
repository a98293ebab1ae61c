// What the desktop program sets up before and around its main window: the GL
// surface format, the application's names, and the command line.
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

namespace tessaline {

// The desktop program's application object. An error that escapes a handler
// ends that command with the standard error report, and the program goes on,
// instead of unwinding through the event loop and aborting.
class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Makes the icons available; the main window calls it itself.
void load_ui_resources();

// Must run before the QApplication exists: every GL widget takes this format.
void set_default_surface_format();

// Names, version and window icon of the running application.
void set_application_identity(QCoreApplication& app);

struct command_line {
    QString graph_file; // the first argument; empty when none
    bool exit = false;  // --help or --version was answered, or the line was wrong
    int exit_code = 0;
    QString output; // what to print for --help, --version or an error
};

// The arguments including the program name, as QCoreApplication::arguments().
command_line parse_command_line(const QStringList& arguments);

} // namespace tessaline
