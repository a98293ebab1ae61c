#include "application.h"

#include "error_report.h"
#include "product.h"

#include "base/memory_error.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QSurfaceFormat>

// The icons live in a static library; nothing would pull them in otherwise.
static void init_ui_resources() {
    Q_INIT_RESOURCE(ui);
}

namespace tessaline {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        report_error(activeWindow(), QString::fromStdString(current_error_text()));
        return false;
    }
}

void load_ui_resources() {
    static const bool loaded = [] {
        init_ui_resources();
        return true;
    }();
    (void)loaded;
}

void set_default_surface_format() {
    QSurfaceFormat format;
    // The view draws with the fixed-function pipeline of OpenGL 1.1.
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    QSurfaceFormat::setDefaultFormat(format);
}

void set_application_identity(QCoreApplication& app) {
    load_ui_resources();
    app.setOrganizationName(product::company());
    app.setApplicationName(product::name());
    app.setApplicationVersion(product::version());
    // No display name of its own: the toolkit would append it to every
    // window's caption, and the captions are the program's own texts. The
    // display name falls back to the application name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaline"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tessaline.svg")));
}

command_line parse_command_line(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "command_line", "Shows X, Y and Z columns as an interactive 3-D graph."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QCoreApplication::translate("command_line", "A graph file (*.xyz) to open."),
        QStringLiteral("[file]"));
    command_line result;
    // The first argument is the graph file, whatever it looks like (a name
    // may begin with "-"); only --help and --version answer instead, and
    // further arguments are passed over.
    const QString first = arguments.size() > 1 ? arguments[1] : QString();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("-?")) {
        result.exit = true;
        // Named as it was called, not by the full path Qt would give.
        const QString program = arguments.isEmpty() ? QStringLiteral("tessaline")
                                                    : QFileInfo(arguments.first()).fileName();
        const QString text = parser.helpText();
        result.output = QStringLiteral("Usage: %1 [options] [file]").arg(program) +
                        text.mid(text.indexOf(QLatin1Char('\n')));
        return result;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        result.exit = true;
        result.output = product::name() + QLatin1Char(' ') + product::version() + QLatin1Char('\n');
        return result;
    }
    result.graph_file = first;
    return result;
}

} // namespace tessaline
