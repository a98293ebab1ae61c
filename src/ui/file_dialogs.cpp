#include "file_dialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

namespace tessaline {

namespace {

QLineEdit* name_field(QFileDialog* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// The last file's folder is shown and its bare name offered, all selected, so
// that typing replaces it instead of running on after the old full path.
void offer_last_choice(QFileDialog* dialog) {
    const QStringList last = dialog->selectedFiles();
    if (last.isEmpty() || last.first().isEmpty()) return;
    const QFileInfo file(last.first());
    if (file.isDir()) return;
    dialog->setDirectory(file.absolutePath());
    dialog->selectFile(file.fileName());
    // Once shown: the dialog fills the field itself as it opens.
    QTimer::singleShot(0, dialog, [dialog] {
        if (QLineEdit* name = name_field(dialog)) name->selectAll();
    });
}

// A completion list still open when Enter accepted the dialog would stay on
// screen and take the next click.
void close_completion(QFileDialog* dialog) {
    for (QCompleter* completer : dialog->findChildren<QCompleter*>())
        if (QAbstractItemView* list = completer->popup(); list && list->isVisible()) list->hide();
}

} // namespace

QString run_file_dialog(QFileDialog* dialog) {
    offer_last_choice(dialog);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    close_completion(dialog);
    if (!accepted) return {};
    const QStringList files = dialog->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace tessaline
