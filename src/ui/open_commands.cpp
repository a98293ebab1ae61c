// Opening whatever file the user names: a graph file is read as Open always
// read it; a text table or workbook opens the import window on it, so its
// columns are chosen as for any workbook. The command line, File > Open and a
// file dropped on the window all come here.
#include "main_window.h"

#include "error_report.h"
#include "import_window.h"

#include "base/memory_error.h"
#include "files/graph_reader.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <exception>

namespace tessaline {

namespace {

// The first local file a drag carries, or empty.
QString dragged_file(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

} // namespace

bool TFMain::open_file(const QString& path) {
    const std::optional<graph_read> stopped_or_read = read_graph(path);
    // Stopped by the user: nothing to say, nothing changed.
    if (!stopped_or_read) return true;
    const graph_read& read = *stopped_or_read;
    if (read.status == graph_file_status::unreadable && read.table_or_workbook)
        return import_file(path);
    // A graph that cannot be read replaces nothing, so it needs no question.
    if (read.status == graph_file_status::read && !confirm_unsaved_changes(this)) return true;
    const QString error = show_graph_read(read, path);
    if (error.isEmpty()) return true;
    report_error(this, error);
    return false;
}

bool TFMain::import_file(const QString& path) {
    TFFiles files(*this);
    // Nothing may be thrown through the event loop (a drop or a menu item
    // runs this): memory short while reading is said in words.
    try {
        files.open_file(path);
    } catch (const std::exception& error) {
        report_error(this, QString::fromStdString(error_text(error)));
        return false;
    }
    if (files.chosen_path.isEmpty()) return false;
    files.exec();
    if (!files.failure.isEmpty()) {
        report_error(this, files.failure);
        return false;
    }
    redraw();
    return true;
}

void TFMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!dragged_file(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFMain::dropEvent(QDropEvent* event) {
    const QString path = dragged_file(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // After the drop has ended: the source waits for it while dialogs run.
    QTimer::singleShot(0, this, [this, path] {
        if (open_file(path)) redraw();
    });
}

} // namespace tessaline
