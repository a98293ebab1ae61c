// The import window driven through its buttons, grid and tabs: the picks and
// what each panel says, every message, when "Start Import" may run, and the
// graph an import leaves in the main window.
#include "window_fixture.h"

#include "test_files.h"

#include "ui/import_grid.h"
#include "ui/import_window.h"

#include "import/clc.h"
#include "import/xls.h"
#include "view/space.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>

namespace tessaline::test {
namespace {

class ImportWindow : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        files = std::make_unique<TFFiles>(*window);
        files->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(files.get()));
    }
    void TearDown() override {
        files.reset();
        WindowTest::TearDown();
    }

    void open(const std::string& name) {
        files->open_file(QString::fromStdString(data_path(name).string()));
    }
    // The widget of the grid that shows a cell, and the cell's centre in it.
    std::pair<QWidget*, QPoint> cell_place(int row, int column) {
        import_grid* g = files->Grid1;
        QWidget* w = row == 0 && column == 0 ? g->findChild<QAbstractButton*>()
                     : row == 0              ? g->horizontalHeader()->viewport()
                     : column == 0           ? g->verticalHeader()->viewport()
                                             : g->viewport();
        const QPoint grid = g->cell_centre(row, column) + QPoint(g->frameWidth(), g->frameWidth());
        return {w, w->mapFrom(g, grid)};
    }
    void click_cell(int row, int column) {
        auto [w, at] = cell_place(row, column);
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
    }
    void move_to(int row, int column) {
        auto [w, at] = cell_place(row, column);
        QTest::mouseMove(w, at);
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    message_seen click_expecting_note(QPushButton* button) {
        message_seen seen;
        answer_message_box(&seen);
        button->click();
        return seen;
    }
    // Sheet, title row 1, data from row 2, X, Y, Z in columns A, B, C.
    void pick_all(int sheet_tab = 0, bool title = true) {
        files->TabSet1->setCurrentIndex(sheet_tab);
        files->SheetButton1->click();
        click_cell(3, 2);
        if (title) {
            files->TitleRowButton1->click();
            click_cell(1, 1);
        }
        files->FirstRowButton1->click();
        click_cell(2, 1);
        files->XColumnButton1->click();
        click_cell(5, 1);
        files->YColumnButton1->click();
        click_cell(5, 2);
        files->ZColumnButton1->click();
        click_cell(5, 3);
    }
    bool bold(QWidget* w) const { return w->font().bold(); }

    std::unique_ptr<TFFiles> files;
};

TEST_F(ImportWindow, StartsWithNothingChosen) {
    EXPECT_EQ(files->windowTitle(), "Tessaline");
    EXPECT_EQ(files->source_kind, 100);
    EXPECT_EQ(files->chosen_sheet, -1);
    EXPECT_EQ(files->book_index, -1);
    EXPECT_FALSE(files->OKButton->isEnabled());
    EXPECT_EQ(files->OKButton->text(), "Start Import");
    EXPECT_EQ(files->OKButton->toolTip(), "Continue Fusion");
    EXPECT_EQ(files->FileChoiseButton1->toolTip(), "Open Base File");
    EXPECT_EQ(files->TitleRowPanel1->toolTip(), "Title Row Number");
    EXPECT_EQ(files->FirstRowPanel1->toolTip(), "First Row With Data Number");
    EXPECT_EQ(files->TabSet1->count(), 1);
    EXPECT_EQ(files->TabSet1->tabText(0), "empty");
    EXPECT_EQ(files->Grid1->row_count(), 65536);
    EXPECT_EQ(files->Grid1->model()->columnCount(), 256);
    EXPECT_EQ(files->od->nameFilters(),
              (QStringList{"Workbooks and tables (*.xls *.xlsx *.ods *.csv *.tsv *.txt *.dat)",
                           "All files (*)"}));
    for (QPushButton* w : {files->FileChoiseButton1, files->SheetButton1, files->FirstRowButton1,
                           files->XColumnButton1, files->ZColumnButton1})
        EXPECT_TRUE(bold(w)) << w->objectName().toStdString();
    EXPECT_FALSE(bold(files->TitleRowButton1));
    for (const char* name : {"WindowPanel", "CommonLeftPanel", "BaseFilePanel", "MainLabel",
                             "SheetPanel1", "XPanel1", "FileNamePanel1", "Grid1", "TabSet1", "od"})
        EXPECT_NE(files->findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(ImportWindow, NotesForButtonsPressedTooEarly) {
    message_seen seen = click_expecting_note(files->SheetButton1);
    EXPECT_EQ(seen.text, "File not opened");
    EXPECT_EQ(seen.title, "Note");
    for (QPushButton* b : {files->TitleRowButton1, files->FirstRowButton1, files->XColumnButton1,
                           files->YColumnButton1, files->ZColumnButton1}) {
        seen = click_expecting_note(b);
        EXPECT_EQ(seen.text, "You need open the file and select the sheet first");
        EXPECT_EQ(seen.title, "Note");
    }
    open("basic.xlsx");
    seen = click_expecting_note(files->XColumnButton1);
    EXPECT_EQ(seen.text, "Please select the sheet first");
    EXPECT_TRUE(files->pick_mode.isEmpty());
}

TEST_F(ImportWindow, OpeningListsTheSheetsAndSizesTheGrid) {
    open("basic.xlsx");
    EXPECT_EQ(files->source_kind, 0);
    EXPECT_NE(files->xls_reader, nullptr);
    EXPECT_EQ(files->FileNamePanel1->text(), files->chosen_path);
    EXPECT_FALSE(bold(files->FileChoiseButton1));
    ASSERT_EQ(files->TabSet1->count(), 3);
    EXPECT_EQ(files->TabSet1->tabText(0), "Data");
    EXPECT_EQ(files->TabSet1->tabText(2), "Empty");
    EXPECT_EQ(files->shown_sheet, 0);
    EXPECT_EQ(files->Grid1->row_count(), 43) << "41 used rows and a spare one";

    // Tabs are free to browse until a sheet is chosen.
    files->TabSet1->setCurrentIndex(2);
    EXPECT_EQ(files->shown_sheet, 2);
    EXPECT_EQ(files->Grid1->row_count(), 2) << "one used row";
    files->TabSet1->setCurrentIndex(1);
    EXPECT_EQ(files->Grid1->row_count(), 5);

    // Two used rows get a spare one below.
    const auto two_rows = write_zip(
        "two-rows.xlsx", xlsx_package({xlsx_sheet(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"
                                                  R"(<row r="2"><c r="A2"><v>2</v></c></row>)")}));
    files->open_file(QString::fromStdString(two_rows.string()));
    EXPECT_EQ(files->Grid1->row_count(), 4);

    // The Calc reader only for ".ods" in small letters.
    open("basic.ods");
    EXPECT_EQ(files->source_kind, 1);
    EXPECT_EQ(files->xls_reader, nullptr);
    const auto capital = temp_path("CAPITAL.ODS");
    std::filesystem::copy_file(data_path("basic.ods"), capital,
                               std::filesystem::copy_options::overwrite_existing);
    files->open_file(QString::fromStdString(capital.string()));
    EXPECT_EQ(files->source_kind, 0);
    EXPECT_EQ(files->clc_reader, nullptr);
    EXPECT_EQ(files->TabSet1->count(), 3) << "read all the same";

    // A file that is no workbook: no file, no tabs, and the reader's reason.
    const auto junk = write_file("junk.xlsx", "not a workbook");
    message_seen seen;
    answer_message_box(&seen);
    files->open_file(QString::fromStdString(junk.string()));
    EXPECT_TRUE(seen.shown);
    EXPECT_TRUE(files->chosen_path.isEmpty());
    EXPECT_EQ(files->book_index, -1);
    EXPECT_EQ(files->TabSet1->count(), 0);
    EXPECT_TRUE(files->FileNamePanel1->text().isEmpty());
}

TEST_F(ImportWindow, TheOpenButtonRunsTheFileDialog) {
    answer_file_dialog(QString::fromStdString(data_path("mixed.xlsx").string()));
    files->FileChoiseButton1->click();
    EXPECT_EQ(files->TabSet1->count(), 3);
    answer_file_dialog("");
    files->FileChoiseButton1->click();
    EXPECT_EQ(files->TabSet1->count(), 3) << "a cancelled dialog keeps the workbook";
}

TEST_F(ImportWindow, PicksFillThePanelsAndEnableStart) {
    open("basic.xlsx");
    files->SheetButton1->click();
    EXPECT_EQ(files->pick_mode, "Sheet1");
    EXPECT_EQ(files->SheetPanel1->text(), "?");
    click_cell(4, 2);
    EXPECT_EQ(files->chosen_sheet, 0);
    EXPECT_EQ(files->SheetPanel1->text(), "Data");
    EXPECT_TRUE(files->pick_mode.isEmpty());
    EXPECT_FALSE(bold(files->SheetButton1));

    files->FirstRowButton1->click();
    EXPECT_EQ(files->FirstRowPanel1->text(), "?");
    click_cell(2, 3);
    EXPECT_EQ(files->data_begin_row, 1);
    EXPECT_EQ(files->FirstRowPanel1->text(), "2");
    EXPECT_FALSE(bold(files->FirstRowButton1));

    files->XColumnButton1->click();
    click_cell(7, 1);
    files->YColumnButton1->click();
    click_cell(7, 2);
    EXPECT_EQ(files->XPanel1->text(), "A");
    EXPECT_EQ(files->YPanel1->text(), "B");
    EXPECT_FALSE(files->OKButton->isEnabled());

    // Column E is one right of the used area (A-D): allowed; F is not.
    files->ZColumnButton1->click();
    click_cell(7, 6);
    EXPECT_EQ(files->pick_mode, "ZColumn1") << "a pick beyond the used area is ignored";
    EXPECT_EQ(files->z_column, -1);
    click_cell(7, 5);
    EXPECT_EQ(files->z_column, 4);
    EXPECT_EQ(files->ZPanel1->text(), "E");
    EXPECT_TRUE(files->OKButton->isEnabled()) << "the title row is optional";

    // Picking a column again disables Start until it is chosen.
    files->XColumnButton1->click();
    EXPECT_FALSE(files->OKButton->isEnabled());
    EXPECT_EQ(files->x_column, -1);
    EXPECT_EQ(files->XPanel1->text(), "?");
    click_cell(3, 3);
    EXPECT_EQ(files->XPanel1->text(), "C");
    EXPECT_TRUE(files->OKButton->isEnabled());

    // A row pick on the heading row leaves the row unchosen.
    files->FirstRowButton1->click();
    click_cell(0, 3);
    EXPECT_EQ(files->data_begin_row, -1);
    EXPECT_EQ(files->FirstRowPanel1->text(), "");
    EXPECT_TRUE(bold(files->FirstRowButton1));
    EXPECT_FALSE(files->OKButton->isEnabled());

    // Sheet again keeps the sheet, clears rows and columns.
    files->SheetButton1->click();
    EXPECT_EQ(files->chosen_sheet, 0);
    EXPECT_EQ(files->x_column, -1);
    EXPECT_EQ(files->z_column, -1);
    EXPECT_FALSE(files->OKButton->isEnabled());

    // A click with no pick pending changes nothing.
    click_cell(2, 2);
    files->TitleRowButton1->click();
    click_cell(1, 1);
    const std::int32_t before[] = {files->chosen_sheet, files->title_row, files->data_begin_row};
    click_cell(5, 5);
    const std::int32_t after[] = {files->chosen_sheet, files->title_row, files->data_begin_row};
    EXPECT_TRUE(std::equal(before, before + 3, after));
}

TEST_F(ImportWindow, TabChangesAfterTheSheetIsChosen) {
    open("basic.xlsx");
    files->SheetButton1->click();
    files->TabSet1->setCurrentIndex(1); // during a sheet pick a tab chooses at once
    EXPECT_EQ(files->chosen_sheet, 1);
    EXPECT_EQ(files->SheetPanel1->text(), "Notes");

    message_seen seen;
    answer_message_box(&seen);
    files->TabSet1->setCurrentIndex(0);
    EXPECT_EQ(seen.text, "Press Sheet Button first");
    EXPECT_EQ(seen.title, "Note");
    EXPECT_EQ(files->TabSet1->currentIndex(), 1) << "the refused tab is not selected";
    EXPECT_EQ(files->shown_sheet, 1);

    files->SheetButton1->click();
    files->TabSet1->setCurrentIndex(0);
    EXPECT_EQ(files->chosen_sheet, 0);
    EXPECT_EQ(files->Grid1->row_count(), 43);
}

TEST_F(ImportWindow, HeadingLabelsAndMarks) {
    open("basic.xlsx");
    pick_all();
    auto label = [this](int r, int c) { return files->decoration(r, c).label; };
    EXPECT_EQ(label(0, 1), "X col.");
    EXPECT_EQ(label(0, 3), "Z col.");
    EXPECT_EQ(label(0, 4), "");
    EXPECT_EQ(label(2, 0), "Data Begin");
    EXPECT_EQ(label(1, 0), "Title");
    // The row headings widen to hold the longest label with room beside
    // it, and the cells move over with them.
    QTRY_VERIFY(files->Grid1->verticalHeader()->width() > grid_default_column_width);
    QFont bold = files->Grid1->font();
    bold.setBold(true);
    EXPECT_GE(files->Grid1->verticalHeader()->width(),
              QFontMetrics(bold).horizontalAdvance("Data Begin") + 8);
    EXPECT_EQ(files->Grid1->viewport()->geometry().left(),
              files->Grid1->verticalHeader()->geometry().right() + 1);
    EXPECT_TRUE(files->decoration(0, 0).marks & sheet_dot);
    EXPECT_TRUE(files->decoration(5, 4).marks & used_edge) << "D is the last used column";

    // The same column for X and Z reads "Z col."; the same row for both, "Title".
    files->ZColumnButton1->click();
    click_cell(4, 1);
    EXPECT_EQ(label(0, 1), "Z col.");
    files->TitleRowButton1->click();
    click_cell(2, 1);
    EXPECT_EQ(label(2, 0), "Title");

    files->XColumnButton1->click();
    move_to(6, 2);
    EXPECT_EQ(files->hover_column, 2);
    EXPECT_EQ(files->hover_row, 6);
    EXPECT_TRUE(files->decoration(9, 2).marks & column_hover);
    EXPECT_FALSE(files->decoration(9, 3).marks & column_hover);
    move_to(6, 7); // beyond the used area: no hover mark
    EXPECT_FALSE(files->decoration(9, 7).marks & column_hover);
    files->FirstRowButton1->click();
    move_to(6, 2);
    EXPECT_TRUE(files->decoration(6, 5).marks & row_hover);
    EXPECT_FALSE(files->decoration(7, 5).marks & row_hover);

    // The grid paints without a fault, headings and cells alike.
    EXPECT_FALSE(files->Grid1->grab().isNull());
}

TEST_F(ImportWindow, ImportsEveryFormatWithTheTitleRowsCaptions) {
    for (const char* book : {"basic.xlsx", "basic.ods", "basic.xls"}) {
        SCOPED_TRACE(book);
        scene().select_point(3);
        open(book);
        pick_all();
        ASSERT_TRUE(files->OKButton->isEnabled());
        // From the second book on, the graph before it has not been saved.
        int asked = 0;
        const bool had_points = !field().points.empty();
        if (had_points) answer_unsaved_changes(QMessageBox::Discard, &asked);
        files->run_import();
        EXPECT_EQ(asked, had_points ? 1 : 0);
        // The points the fixture's values imply, row by row.
        const auto rows = read_csv(data_path("basic.Data.value.csv"));
        data_points_ expected;
        for (std::size_t r = 1; r < rows.size(); ++r)
            expected.push_back(
                {std::stod(rows[r][0]), std::stod(rows[r][1]), std::stod(rows[r][2])});
        ASSERT_EQ(field().point_count, 40);
        EXPECT_EQ(window->imported_points, expected);
        EXPECT_EQ(field().points, expected);
        EXPECT_EQ(field().face_count > 0, true);
        EXPECT_EQ(scene().selected_point_id, -1);
        EXPECT_EQ(window->axes[0].caption_ed->text(), "Length");
        EXPECT_EQ(window->axes[2].caption_ed->text(), "Height (m)");
        EXPECT_EQ(field().marks_x[0].text, "Length");
        EXPECT_EQ(field().marks_z[0].text, "Height (m)");
    }
}

TEST_F(ImportWindow, WithoutATitleRowTheCaptionsStay) {
    window->axes[1].caption_ed->setText("Depth");
    window->shift_marks_btnClick(0, 1);
    const marks before_x = field().marks_x;
    open("basic.ods");
    pick_all(0, false);
    files->run_import();
    EXPECT_EQ(field().point_count, 40);
    EXPECT_EQ(window->axes[1].caption_ed->text(), "Depth");
    EXPECT_EQ(field().marks_y[0].text, "Depth") << "the graph shows what the edit says";
    EXPECT_EQ(window->marks_step_x, 1);
    Datafield expected;
    expected.load_points(window->imported_points);
    expected.set_shift_marks_x(1);
    EXPECT_EQ(field().marks_x.size(), expected.marks_x.size())
        << "the new marks take the window's interval step";

    // A second import replaces every point.
    TFFiles again(*window);
    again.open_file(QString::fromStdString(data_path("mixed.xlsx").string()));
    again.chosen_sheet = 0;
    again.data_begin_row = 1;
    again.x_column = 0;
    again.y_column = 1;
    again.z_column = 2;
    answer_unsaved_changes(QMessageBox::Discard);
    again.run_import();
    EXPECT_EQ(field().point_count, 9);
}

TEST_F(ImportWindow, StartImportClosesTheWindowAndReleasesTheReader) {
    open("basic.xlsx");
    pick_all();
    files->OKButton->click();
    EXPECT_EQ(files->result(), QDialog::Accepted);
    EXPECT_FALSE(files->isVisible());
    EXPECT_EQ(files->xls_reader, nullptr);
    EXPECT_EQ(field().point_count, 40);
}

} // namespace
} // namespace tessaline::test

namespace tessaline::test {
namespace {

// Three numbers in columns AA to AC of 60 rows: beyond the first screen both ways.
std::filesystem::path far_data_workbook() {
    std::string rows;
    for (int r = 1; r <= 60; ++r) {
        rows += "<row r=\"" + std::to_string(r) + "\">";
        for (const char* column : {"AA", "AB", "AC"})
            rows += std::string("<c r=\"") + column + std::to_string(r) + "\"><v>" +
                    std::to_string(r) + "</v></c>";
        rows += "</row>";
    }
    return write_zip("far.xlsx", xlsx_package({xlsx_sheet(rows)}));
}

} // namespace

TEST_F(ImportWindow, ScrollBarClicksScrollAndPickNothing) {
    files->open_file(QString::fromStdString(far_data_workbook().string()));
    files->SheetButton1->click();
    click_cell(2, 2);
    ASSERT_EQ(files->chosen_sheet, 0);
    QScrollBar* bars[] = {files->Grid1->horizontalScrollBar(), files->Grid1->verticalScrollBar()};
    for (QScrollBar* bar : bars) {
        ASSERT_TRUE(bar->isVisible());
        files->XColumnButton1->click();
        const int before = bar->value();
        // The arrow at the end, then the track.
        const bool across = bar->orientation() == Qt::Horizontal;
        const QPoint arrow = across ? QPoint(bar->width() - 4, bar->height() / 2)
                                    : QPoint(bar->width() / 2, bar->height() - 4);
        const QPoint track = across ? QPoint(bar->width() * 3 / 4, bar->height() / 2)
                                    : QPoint(bar->width() / 2, bar->height() * 3 / 4);
        for (QPoint at : {arrow, track}) {
            QTest::mouseMove(bar, at);
            QTest::mouseClick(bar, Qt::LeftButton, {}, at);
        }
        EXPECT_GT(bar->value(), before) << "the grid scrolls";
        EXPECT_EQ(files->x_column, -1) << "a scroll bar click is no pick";
        EXPECT_EQ(files->pick_mode, "XColumn1");
    }
}

TEST_F(ImportWindow, AnImportWithoutPointsKeepsTheGraphAndSaysWhy) {
    field().load_points({{0, 0, 1}, {1, 0, 2}, {0, 1, 3}});
    const data_points_ before = field().points;
    open("basic.xlsx");
    pick_all();
    // Column E is empty: no row of A, B and E holds three numbers.
    files->ZColumnButton1->click();
    click_cell(5, 5);
    ASSERT_TRUE(files->OKButton->isEnabled());
    const message_seen seen = click_expecting_note(files->OKButton);
    EXPECT_EQ(seen.text, "No row of the chosen columns holds three numbers");
    EXPECT_EQ(field().points, before);
    EXPECT_TRUE(files->isVisible()) << "the window stays for another pick";
    EXPECT_NE(files->xls_reader, nullptr);

    // A good pick then imports, and the status bar tells what was read.
    files->ZColumnButton1->click();
    click_cell(5, 3);
    files->OKButton->click();
    EXPECT_EQ(field().point_count, 40);
    EXPECT_EQ(window->StatusBar1->currentMessage(),
              "Imported 40 points from basic.xlsx; 0 rows skipped");
}

TEST_F(ImportWindow, AFileThatCannotBeReadSaysWhy) {
    const auto table = write_file("table.xlsx", "x,y,z\n1,2,3\n");
    message_seen seen;
    answer_message_box(&seen);
    files->open_file(QString::fromStdString(table.string()));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text,
              "Cannot open \"table.xlsx\": the file is not an Excel or OpenDocument workbook.");
    EXPECT_EQ(files->book_index, -1);
    EXPECT_TRUE(files->chosen_path.isEmpty());
}

} // namespace tessaline::test
