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
    QGuiApplication::setApplicationDisplayName(product::name());
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaline"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tessaline.svg")));
}

command_line parse_command_line(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "command_line", "Shows X, Y and Z columns as an interactive 3-D graph."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QCoreApplication::translate("command_line", "A graph file (*.xyz) to open."),
        QStringLiteral("[file]"));
    command_line result;
    if (!parser.parse(arguments)) {
        result.exit = true;
        result.exit_code = 2;
        result.output = parser.errorText() + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(help)) {
        result.exit = true;
        // Named as it was called, not by the full path Qt would give.
        const QString program = arguments.isEmpty() ? QStringLiteral("tessaline")
                                                    : QFileInfo(arguments.first()).fileName();
        const QString text = parser.helpText();
        result.output = QStringLiteral("Usage: %1 [options] [file]").arg(program) +
                        text.mid(text.indexOf(QLatin1Char('\n')));
        return result;
    }
    if (parser.isSet(version)) {
        result.exit = true;
        result.output = product::name() + QLatin1Char(' ') + product::version() + QLatin1Char('\n');
        return result;
    }
    // Only the first argument counts; further ones are ignored.
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) result.graph_file = files.first();
    return result;
}

} // namespace tessaline
