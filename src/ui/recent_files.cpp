// The File menu's Recent Files: its list in the settings store and its items,
// which open their file as File > Open does or, when it is gone, say so and
// take it off the list.
#include "recent_files.h"

#include "error_report.h"
#include "main_window.h"

#include "settings/chemistry.h"

#include <QFileInfo>
#include <QMenu>

namespace tessaline {

QStringList with_recent_file(QStringList list, const QString& path) {
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > max_recent_files)
        list.removeLast();
    return list;
}

QStringList recent_files_from_text(const QString& text) {
    QStringList list = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    while (list.size() > max_recent_files)
        list.removeLast();
    return list;
}

QString recent_files_text(const QStringList& list) {
    return list.join(QLatin1Char('\n'));
}

QStringList TFMain::recent_files() const {
    return recent_files_from_text(settings->read_setting(QLatin1String(recent_files_key)));
}

void TFMain::store_recent_files(const QStringList& list) {
    settings->write_setting(QLatin1String(recent_files_key), recent_files_text(list));
    fill_recent_files_menu();
}

void TFMain::remember_recent_file(const QString& path) {
    if (path.isEmpty()) return;
    store_recent_files(with_recent_file(recent_files(), QFileInfo(path).absoluteFilePath()));
}

void TFMain::build_recent_files_menu(QMenu* file) {
    RecentFiles1 = file->addMenu(tr("Recent Files"));
    RecentFiles1->setObjectName(QStringLiteral("RecentFiles1"));
    fill_recent_files_menu();
}

void TFMain::fill_recent_files_menu() {
    if (!RecentFiles1) return;
    RecentFiles1->clear();
    const QStringList list = recent_files();
    RecentFiles1->setEnabled(!list.isEmpty());
    for (int i = 0; i < list.size(); ++i) {
        const QString path = list[i];
        // The number is the item's key on the keyboard; "&" in a name stays a letter.
        QString caption = QFileInfo(path).fileName();
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* item = RecentFiles1->addAction(
            QStringLiteral("&%1 %2").arg(i + 1 == 10 ? 0 : i + 1).arg(caption));
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        item->setToolTip(path);
        item->setStatusTip(path);
        item->setData(path);
        connect(item, &QAction::triggered, this, [this, path] { open_recent_file(path); });
    }
}

void TFMain::open_recent_file(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        QStringList list = recent_files();
        list.removeAll(path);
        store_recent_files(list);
        report_error(
            this, tr("\"%1\" is no longer there, so it was taken off the recent files").arg(path));
        return;
    }
    if (open_file(path)) redraw();
}

} // namespace tessaline
