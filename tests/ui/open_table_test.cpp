// Opening any file from the main window: tables and workbooks through the
// import window, graph files as before; the title, the questions over unsaved
// changes, the recent files and files dropped on the window.
#include "window_fixture.h"

#include "ui/import_window.h"
#include "ui/recent_files.h"

#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <QUrl>

namespace tessaline::test {
namespace {

class OpenFiles : public WindowTest {
  protected:
    QString write_table(const QString& name) {
        const QString file = path(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        // Decimal commas between ";", as European spreadsheets export.
        out.write("Depth;Temp;Salt\n");
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                out.write(QStringLiteral("%1,5;%2;%3,25\n").arg(i).arg(j).arg(i * j).toUtf8());
        return file;
    }
    // Opens `file` and, in the import window it brings, picks the title row,
    // data from row 2 and columns A, B, C, then starts the import.
    void import_table(const QString& file, QString* tab = nullptr) {
        when_modal<TFFiles>([tab](TFFiles* files) {
            if (tab) *tab = files->TabSet1->tabText(0);
            files->chosen_sheet = 0;
            files->title_row = 0;
            files->data_begin_row = 1;
            files->x_column = 0;
            files->y_column = 1;
            files->z_column = 2;
            files->OKButtonClick();
            if (files->isVisible()) files->reject(); // a failed import cannot hang the test
        });
        EXPECT_TRUE(window->open_file(file));
    }
};

TEST_F(OpenFiles, ATableOpensTheImportWindowOnIt) {
    const QString table = write_table("depths.csv");
    QString tab;
    import_table(table, &tab);
    EXPECT_EQ(tab, "depths") << "the table is a workbook of one sheet";
    ASSERT_EQ(field().points.size(), 16u);
    EXPECT_EQ(field().points[5], (data_point{1.5, 1, 1.25}));
    EXPECT_EQ(window->axes[1].caption_ed->text(), "Temp");
    EXPECT_EQ(window->windowTitle(), "depths.csv[*] - Tessaline");
    EXPECT_TRUE(window->isWindowModified()) << "an import is in no graph file yet";
    EXPECT_TRUE(window->document_path.isEmpty());
}

TEST_F(OpenFiles, AFileNeitherGraphNorTableSaysWhy) {
    const QString file = path("image.dat");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    out.close();
    message_seen seen;
    answer_message_box(&seen);
    EXPECT_FALSE(window->open_file(file));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "Cannot open \"image.dat\": the file is neither a workbook nor a text "
                         "table.");
    EXPECT_EQ(window->windowTitle(), "Tessaline");
}

TEST_F(OpenFiles, SavingClearsTheMarkAndChangesToWhatTheFileKeepsSetIt) {
    import_table(write_table("t.csv"));
    const QString graph = path("t.xyz");
    ASSERT_EQ(window->save_graph_file(graph), "");
    EXPECT_EQ(window->windowTitle(), "t.xyz[*] - Tessaline");
    EXPECT_FALSE(window->isWindowModified());
    // A setting the graph file keeps, and its undoing.
    click("point_size_plus_btn");
    EXPECT_TRUE(window->isWindowModified());
    click("point_size_minus_btn");
    EXPECT_FALSE(window->isWindowModified());
    window->axes[0].caption_ed->setText("Depth (m)");
    window->axes[0].caption_ed->editingFinished();
    EXPECT_TRUE(window->has_unsaved_changes());
    // Turning the view is a change too: the file keeps the camera.
    ASSERT_EQ(window->save_graph_file(graph), "");
    screen().alpha += 10;
    window->redraw();
    EXPECT_TRUE(window->isWindowModified());

    // The file opened again is the window's state: nothing unsaved, also
    // once the view has painted and settled.
    answer_unsaved_changes(QMessageBox::Discard);
    ASSERT_TRUE(window->open_file(graph));
    QTest::qWait(100);
    window->redraw();
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), "t.xyz[*] - Tessaline");
}

TEST_F(OpenFiles, ClosingOverUnsavedChangesAsks) {
    import_table(write_table("c.csv"));
    int asked = 0;
    answer_unsaved_changes(QMessageBox::Cancel, &asked);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(field().points.size(), 16u) << "Cancel keeps everything";

    // Save, and then a cancelled Save dialog: the window stays.
    answer_unsaved_changes(QMessageBox::Save, &asked);
    answer_file_dialog("");
    EXPECT_FALSE(window->close());
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(window->isWindowModified());

    // Save into a file, and the window closes.
    answer_unsaved_changes(QMessageBox::Save, &asked);
    answer_file_dialog(path("kept.xyz"));
    EXPECT_TRUE(window->close());
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(QFile::exists(path("kept.xyz")));
}

TEST_F(OpenFiles, DiscardCloses) {
    import_table(write_table("d.csv"));
    answer_unsaved_changes(QMessageBox::Discard);
    EXPECT_TRUE(window->close());
}

TEST_F(OpenFiles, ASaveThatFailsKeepsTheWindowOpen) {
    import_table(write_table("f.csv"));
    ASSERT_EQ(window->save_graph_file(path("f.xyz")), "");
    click("point_size_plus_btn");
    // The graph's own file is written over; a folder in its place cannot be.
    ASSERT_TRUE(QFile::remove(path("f.xyz")));
    ASSERT_TRUE(QDir(folder.path()).mkdir("f.xyz"));
    answer_unsaved_changes(QMessageBox::Save);
    message_seen error;
    QTimer::singleShot(300, [&error] { answer_message_box(&error); });
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(error.shown);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(OpenFiles, OpeningOverUnsavedChangesAsksAndCancelKeepsTheGraph) {
    ASSERT_EQ(window->save_graph_file(path("empty.xyz")), "");
    import_table(write_table("o.csv"));
    int asked = 0;
    answer_unsaved_changes(QMessageBox::Cancel, &asked);
    EXPECT_TRUE(window->open_file(path("empty.xyz")));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(field().points.size(), 16u);
    EXPECT_EQ(window->windowTitle(), "o.csv[*] - Tessaline");

    // A file that cannot be read replaces nothing, so nothing is asked.
    message_seen seen;
    answer_message_box(&seen);
    EXPECT_FALSE(window->open_file(path("missing.xyz")));
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);

    answer_unsaved_changes(QMessageBox::Discard, &asked);
    EXPECT_TRUE(window->open_file(path("empty.xyz")));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(field().points.empty());
    EXPECT_EQ(window->windowTitle(), "empty.xyz[*] - Tessaline");
    EXPECT_FALSE(window->isWindowModified());
}

TEST_F(OpenFiles, RecentFilesKeepTheLastTenAndDropMissingOnes) {
    QStringList list;
    for (int i = 0; i < 12; ++i)
        list = with_recent_file(list, QString::number(i));
    list = with_recent_file(list, "5");
    EXPECT_EQ(list, (QStringList{"5", "11", "10", "9", "8", "7", "6", "4", "3", "2"}));
    EXPECT_EQ(recent_files_from_text(recent_files_text(list)), list);

    const QString table = write_table("r.csv");
    import_table(table);
    ASSERT_EQ(window->save_graph_file(path("r.xyz")), "");
    EXPECT_EQ(window->recent_files().mid(0, 2), (QStringList{path("r.xyz"), table}));
    QAction* first = window->RecentFiles1->actions().value(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->objectName(), "RecentFile1");
    EXPECT_EQ(first->text(), "&1 r.xyz");

    // A file gone since is said so and taken off.
    ASSERT_TRUE(QFile::remove(path("r.xyz")));
    message_seen seen;
    answer_message_box(&seen);
    first->trigger();
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.contains("is no longer there")) << seen.text.toStdString();
    EXPECT_FALSE(window->recent_files().contains(path("r.xyz")));
    EXPECT_EQ(window->RecentFiles1->actions().value(0)->text(), "&1 r.csv");
}

TEST_F(OpenFiles, AGraphFileDroppedOnTheWindowOpens) {
    ASSERT_EQ(window->save_graph_file(path("dropped.xyz")), "");
    window->document_path.clear();
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path("dropped.xyz"))});
    const QPoint centre = window->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->document_path == path("dropped.xyz"); }));
    delete data;
}

} // namespace
} // namespace tessaline::test
