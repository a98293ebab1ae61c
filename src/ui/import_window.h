// The import window: the user opens a workbook, looks at its sheets in the
// grid and picks the sheet, an optional title row, the first data row and
// the X, Y and Z columns; "Start Import" turns them into the graph's points.
#pragma once

#include "import/cell_records.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QFileDialog;
class QFrame;
class QLabel;
class QPushButton;
class QTabBar;

namespace tessaline {

class TFMain;
class clc;
class import_grid;
class workbook_reader;
class xls;

class TFFiles : public QDialog {
    Q_OBJECT
  public:
    explicit TFFiles(TFMain& main);
    ~TFFiles() override;

    // Handlers, named as the controls they serve.
    void FileChoiseButton1Click();
    void SheetButton1Click();
    void TitleRowButton1Click();
    void FirstRowButton1Click();
    void XColumnButton1Click();
    void YColumnButton1Click();
    void ZColumnButton1Click();
    void Grid1MouseDown(QPoint grid_point);
    void Grid1MouseMove(QPoint grid_point);
    void Grid1DrawCell(QPainter& painter, const QRect& rect, int grid_row, int grid_column);
    // Asked before the tab changes; false refuses the change.
    bool TabSet1Change(int new_tab);
    void OKButtonClick();

    // What a grid cell shows besides its content: the heading label that
    // stands for the cell's own, and the marks.
    struct cell_decoration {
        std::string label;
        std::uint8_t marks = no_marks;
    };
    cell_decoration decoration(int grid_row, int grid_column) const;

    void refresh_captions();
    void update_start_button();
    void release_reader();
    // Reads the chosen columns into the main window's graph; false (the
    // graph kept, the user told) when no row gives a point.
    bool run_import();

    // Opens a workbook as the file dialog's choice would.
    void open_file(const QString& path);

    // The error that closed the window, empty when none did.
    QString failure;

    QString chosen_path;
    std::int32_t source_kind = 100;
    std::unique_ptr<xls> xls_reader;
    std::unique_ptr<clc> clc_reader;
    std::int32_t book_index = -1;
    std::int32_t shown_sheet = 0;
    std::int32_t chosen_sheet = -1;
    std::int32_t title_row = -1;
    std::int32_t data_begin_row = -1;
    std::int32_t x_column = -1, y_column = -1, z_column = -1;
    QString pick_mode;
    std::int32_t hover_row = -1, hover_column = -1;

    QFrame* WindowPanel = nullptr;
    QFrame* CommonLeftPanel = nullptr;
    QFrame* BaseFilePanel = nullptr;
    QLabel* MainLabel = nullptr;
    QPushButton* FileChoiseButton1 = nullptr;
    QPushButton* SheetButton1 = nullptr;
    QPushButton* TitleRowButton1 = nullptr;
    QPushButton* FirstRowButton1 = nullptr;
    QPushButton* XColumnButton1 = nullptr;
    QPushButton* YColumnButton1 = nullptr;
    QPushButton* ZColumnButton1 = nullptr;
    QLabel* SheetPanel1 = nullptr;
    QLabel* TitleRowPanel1 = nullptr;
    QLabel* FirstRowPanel1 = nullptr;
    QLabel* XPanel1 = nullptr;
    QLabel* YPanel1 = nullptr;
    QLabel* ZPanel1 = nullptr;
    QPushButton* OKButton = nullptr;
    QFrame* BothF1Panel = nullptr;
    QFrame* F1Panel1 = nullptr;
    QLabel* FileNamePanel1 = nullptr;
    import_grid* Grid1 = nullptr;
    QTabBar* TabSet1 = nullptr;
    QFileDialog* od = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_left_panel();
    void build_grid_panel();
    void pick_row_or_column(std::int32_t& field, const char* mode, QLabel* panel);
    void show_note(const QString& text, const QString& caption);
    void escape_on_error(const std::function<void()>& handler);
    void hit_test(QPoint grid_point);
    // The reader `source_kind` names, null before the first file.
    workbook_reader* reader() const;
    // The sheets of the open workbook (by reference: they hold the row
    // cache), null without one.
    const sheets* open_sheets() const;
    const sheet* open_sheet(std::int32_t index) const;
    void set_rows_from(std::int32_t sheet);

    TFMain& main_;
    // The tab shown before a change, to go back to when the change is refused.
    int current_tab_ = 0;
    bool tab_change_running_ = false;
    // Whether the reader is busy in a worker: the grid then draws nothing.
    bool reader_busy_ = false;
    struct reader_busy_scope {
        explicit reader_busy_scope(TFFiles& w) : window(w) { window.reader_busy_ = true; }
        ~reader_busy_scope() { window.reader_busy_ = false; }
        TFFiles& window;
    };
};

} // namespace tessaline
