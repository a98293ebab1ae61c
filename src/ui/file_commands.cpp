// The file commands: Save and Open of graph files, the snapshot, and the
// About window. The dialogs are made once and kept, so that each remembers
// the folder the user last chose.
#include "main_window.h"

#include "about_window.h"
#include "error_report.h"
#include "file_dialogs.h"
#include "view_panel.h"

#include "view/opengl_screen.h"

#include <QFileDialog>

namespace tessaline {

namespace {

QFileDialog* file_dialog(QWidget* parent, const char* name, const QString& title,
                         const QString& filter, const QString& suffix,
                         QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(parent, title);
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setNameFilter(filter);
    dialog->setDefaultSuffix(suffix);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                        : QFileDialog::ExistingFile);
    // Saving asks before replacing a file: QFileDialog's default.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    return dialog;
}

} // namespace

void TFMain::build_dialogs() {
    xyz_save_dialog = file_dialog(this, "xyz_save_dialog", tr("Save Graph Object"),
                                  QStringLiteral("*.xyz (*.xyz)"), QStringLiteral("xyz"),
                                  QFileDialog::AcceptSave);
    // Tables and workbooks open the import window on them.
    xyz_open_dialog = file_dialog(
        this, "xyz_open_dialog", tr("Open Graph Object"),
        tr("Graphs, tables and workbooks (*.xyz *.csv *.tsv *.txt *.dat *.xlsx *.xls *.ods);;"
           "Graph files (*.xyz);;Tables (*.csv *.tsv *.txt *.dat);;"
           "Workbooks (*.xlsx *.xls *.ods);;All files (*)"),
        QStringLiteral("xyz"), QFileDialog::AcceptOpen);
    snapshot_save_dialog = file_dialog(this, "snapshot_save_dialog", tr("Snapshot Save"),
                                       QStringLiteral("*.png (*.png)"), QStringLiteral("png"),
                                       QFileDialog::AcceptSave);
}

QString TFMain::choose_path(QFileDialog* dialog) {
    return run_file_dialog(dialog);
}

bool TFMain::save_command() {
    const QString path = choose_path(xyz_save_dialog);
    if (path.isEmpty()) return true;
    const QString error = save_graph_file(path);
    if (error.isEmpty()) return true;
    report_error(this, error);
    return false;
}

bool TFMain::open_command() {
    const QString path = choose_path(xyz_open_dialog);
    if (path.isEmpty()) return true;
    return open_file(path);
}

// The tool-bar buttons redraw after their dialog, also when it was cancelled;
// the menu items leave the picture to the next paint. A failed command stops
// before its redraw.
void TFMain::save_btnClick() {
    if (save_command()) redraw();
}

void TFMain::Save1Click() {
    save_command();
}

void TFMain::load_btnClick() {
    if (open_command()) redraw();
}

void TFMain::Open1Click() {
    open_command();
}

void TFMain::shoot_btnClick() {
    const QString path = choose_path(snapshot_save_dialog);
    if (path.isEmpty()) return;
    const QString error = save_snapshot(path);
    if (!error.isEmpty()) report_error(this, error);
}

void TFMain::About1Click() {
    show_about_window(this);
}

} // namespace tessaline
