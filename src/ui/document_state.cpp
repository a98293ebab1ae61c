// Which file the window's graph belongs to and whether it holds changes that
// file lacks: the title shows both, and replacing the graph or closing the
// window over such changes asks first.
#include "main_window.h"

#include "error_report.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace tessaline {

bool TFMain::has_unsaved_changes() const {
    // An empty graph has nothing worth a question.
    if (datafield->points.empty()) return false;
    return data_unsaved_ || view_document() != saved_view_;
}

void TFMain::set_document(const QString& path) {
    document_path = path;
    document_name = QFileInfo(path).fileName();
    saved_view_ = view_document();
    data_unsaved_ = false;
    update_title();
    remember_recent_file(path);
}

void TFMain::set_imported(const QString& source) {
    document_path.clear();
    document_name = QFileInfo(source).fileName();
    data_unsaved_ = true;
    update_title();
    remember_recent_file(source);
}

void TFMain::update_title() {
    if (document_name.isEmpty()) {
        setWindowTitle(product_name);
        return;
    }
    // "[*]" is where Qt shows the mark while the window is modified.
    const QString title = document_name + QStringLiteral("[*] - ") + product_name;
    if (windowTitle() != title) setWindowTitle(title);
    setWindowModified(has_unsaved_changes());
}

bool TFMain::save_before_replacing() {
    QString path = document_path;
    if (path.isEmpty()) path = choose_path(xyz_save_dialog);
    if (path.isEmpty()) return false;
    const QString error = save_graph_file(path);
    if (error.isEmpty()) return true;
    report_error(this, error);
    return false;
}

bool TFMain::confirm_unsaved_changes(QWidget* parent) {
    if (!has_unsaved_changes()) return true;
    const QString name = document_name.isEmpty() ? tr("the graph") : document_name;
    QMessageBox box(QMessageBox::Warning, product_name,
                    tr("The graph of %1 has changes that are not saved.").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("unsaved_changes"));
    box.setInformativeText(tr("Save them before going on?"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return save_before_replacing();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (confirm_unsaved_changes(this))
        event->accept();
    else
        event->ignore();
}

} // namespace tessaline
