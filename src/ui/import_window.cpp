// The import window's controls and the handlers of its buttons, grid and
// tabs: which pick is pending, what each panel shows, and when "Start
// Import" may run.
#include "import_window.h"

#include "busy_work.h"
#include "error_report.h"
#include "file_dialogs.h"
#include "import_grid.h"
#include "main_window.h"
#include "painter_canvas.h"

#include "base/memory_error.h"
#include "graph/declaration.h"
#include "import/clc.h"
#include "import/xls.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QVBoxLayout>

#include <exception>

namespace tessaline {

namespace {

constexpr int left_panel_width = 361;
// Space beside a row heading's label.
constexpr int label_padding = 4;
// "Start Import" keeps this distance to the bottom of its panel.
constexpr int ok_button_bottom_gap = 214;

void set_bold(QWidget* w, bool bold) {
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
}

QFrame* panel(QWidget* parent, const char* name, QFrame::Shadow shadow) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameStyle(QFrame::Panel | shadow);
    return frame;
}

} // namespace

TFFiles::TFFiles(TFMain& main) : QDialog(&main), main_(main) {
    setObjectName(QStringLiteral("FFiles"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    set_bold(this, false);
    resize(1011, 640);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    WindowPanel = panel(this, "WindowPanel", QFrame::Sunken);
    outer->addWidget(WindowPanel);
    auto* inside = new QHBoxLayout(WindowPanel);
    inside->setContentsMargins(1, 1, 1, 1);
    inside->setSpacing(0);
    build_left_panel();
    inside->addWidget(CommonLeftPanel);
    build_grid_panel();
    inside->addWidget(BothF1Panel, 1);

    od = new QFileDialog(this);
    od->setObjectName(QStringLiteral("od"));
    od->setNameFilter(tr("Workbooks and tables (*.xls *.xlsx *.ods *.csv *.tsv *.txt *.dat);;"
                         "All files (*)"));
    od->setFileMode(QFileDialog::ExistingFile);
    od->setAcceptMode(QFileDialog::AcceptOpen);
    if (!main_.import_folder.isEmpty()) od->setDirectory(main_.import_folder);

    setWindowTitle(main_.product_name);
    refresh_captions();
}

TFFiles::~TFFiles() {
    release_reader();
}

void TFFiles::build_left_panel() {
    CommonLeftPanel = new QFrame(WindowPanel);
    CommonLeftPanel->setObjectName(QStringLiteral("CommonLeftPanel"));
    CommonLeftPanel->setFixedWidth(left_panel_width);
    auto* layout = new QVBoxLayout(CommonLeftPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    BaseFilePanel = panel(CommonLeftPanel, "BaseFilePanel", QFrame::Sunken);
    BaseFilePanel->installEventFilter(this);
    layout->addWidget(BaseFilePanel);

    QWidget* p = BaseFilePanel;
    MainLabel = new QLabel(tr("Data Table"), p);
    MainLabel->setObjectName(QStringLiteral("MainLabel"));
    set_bold(MainLabel, true);
    MainLabel->move(16, 16);
    MainLabel->adjustSize();

    auto button = [p](const char* name, const QString& caption, const QString& hint, int x, int y,
                      int w, bool bold) {
        auto* b = new QPushButton(caption, p);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setGeometry(x, y, w, 25);
        b->setAutoDefault(false);
        set_bold(b, bold);
        return b;
    };
    auto value_panel = [p](const char* name, const QString& hint, int y) {
        auto* l = new QLabel(p);
        l->setObjectName(QString::fromLatin1(name));
        l->setToolTip(hint);
        l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(272, y, 73, 25);
        set_bold(l, true);
        return l;
    };
    FileChoiseButton1 =
        button("FileChoiseButton1", tr("Open"), tr("Open Base File"), 152, 16, 113, true);
    SheetButton1 = button("SheetButton1", tr("Sheet"), tr("Sheet Select"), 16, 52, 249, true);
    SheetPanel1 = value_panel("SheetPanel1", {}, 52);
    TitleRowButton1 =
        button("TitleRowButton1", tr("Title Row"), tr("Title Row Select"), 16, 88, 249, false);
    TitleRowPanel1 = value_panel("TitleRowPanel1", tr("Title Row Number"), 88);
    FirstRowButton1 = button("FirstRowButton1", tr("Data Begin Row"), tr("First Data Row Select"),
                             16, 120, 249, true);
    FirstRowPanel1 = value_panel("FirstRowPanel1", tr("First Row With Data Number"), 120);
    XColumnButton1 = button("XColumnButton1", tr("X Column"), {}, 16, 156, 249, true);
    XPanel1 = value_panel("XPanel1", {}, 156);
    YColumnButton1 = button("YColumnButton1", tr("Y Column"), {}, 16, 192, 249, true);
    YPanel1 = value_panel("YPanel1", {}, 192);
    ZColumnButton1 = button("ZColumnButton1", tr("Z Column"), {}, 16, 228, 249, true);
    ZPanel1 = value_panel("ZPanel1", {}, 228);
    OKButton = button("OKButton", tr("Start Import"), tr("Continue Fusion"), 22, 389, 131, true);
    OKButton->setEnabled(false);

    connect(FileChoiseButton1, &QPushButton::clicked, this, &TFFiles::FileChoiseButton1Click);
    connect(SheetButton1, &QPushButton::clicked, this, &TFFiles::SheetButton1Click);
    connect(TitleRowButton1, &QPushButton::clicked, this, &TFFiles::TitleRowButton1Click);
    connect(FirstRowButton1, &QPushButton::clicked, this, &TFFiles::FirstRowButton1Click);
    connect(XColumnButton1, &QPushButton::clicked, this, &TFFiles::XColumnButton1Click);
    connect(YColumnButton1, &QPushButton::clicked, this, &TFFiles::YColumnButton1Click);
    connect(ZColumnButton1, &QPushButton::clicked, this, &TFFiles::ZColumnButton1Click);
    connect(OKButton, &QPushButton::clicked, this, &TFFiles::OKButtonClick);
}

void TFFiles::build_grid_panel() {
    BothF1Panel = new QFrame(WindowPanel);
    BothF1Panel->setObjectName(QStringLiteral("BothF1Panel"));
    auto* both = new QVBoxLayout(BothF1Panel);
    both->setContentsMargins(0, 0, 0, 0);
    F1Panel1 = new QFrame(BothF1Panel);
    F1Panel1->setObjectName(QStringLiteral("F1Panel1"));
    both->addWidget(F1Panel1);
    auto* layout = new QVBoxLayout(F1Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FileNamePanel1 = new QLabel(F1Panel1);
    FileNamePanel1->setObjectName(QStringLiteral("FileNamePanel1"));
    FileNamePanel1->setFixedHeight(41);
    FileNamePanel1->setAlignment(Qt::AlignCenter);
    FileNamePanel1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    set_bold(FileNamePanel1, true);
    layout->addWidget(FileNamePanel1);

    Grid1 = new import_grid(F1Panel1);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->set_row_count(65536);
    Grid1->set_draw([this](QPainter& painter, const QRect& rect, int row, int column) {
        Grid1DrawCell(painter, rect, row, column);
    });
    connect(Grid1, &import_grid::grid_mouse_down, this, &TFFiles::Grid1MouseDown);
    connect(Grid1, &import_grid::grid_mouse_move, this, &TFFiles::Grid1MouseMove);
    layout->addWidget(Grid1, 1);

    TabSet1 = new QTabBar(F1Panel1);
    TabSet1->setObjectName(QStringLiteral("TabSet1"));
    TabSet1->setShape(QTabBar::RoundedSouth);
    TabSet1->setExpanding(false);
    TabSet1->setUsesScrollButtons(true);
    QFont tabs_font(QStringLiteral("Tahoma"));
    tabs_font.setPixelSize(13);
    TabSet1->setFont(tabs_font);
    TabSet1->addTab(tr("empty"));
    layout->addWidget(TabSet1);
    connect(TabSet1, &QTabBar::currentChanged, this, [this](int index) {
        if (tab_change_running_ || index < 0) return;
        if (TabSet1Change(index)) {
            current_tab_ = index;
            return;
        }
        tab_change_running_ = true;
        TabSet1->setCurrentIndex(current_tab_);
        tab_change_running_ = false;
    });
}

bool TFFiles::eventFilter(QObject* watched, QEvent* event) {
    // The layout sizes the panel after the window's own resize.
    if (watched == BaseFilePanel && event->type() == QEvent::Resize)
        OKButton->move(22, std::max(BaseFilePanel->height() - ok_button_bottom_gap - 25, 264));
    return QDialog::eventFilter(watched, event);
}

void TFFiles::show_note(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("note"));
    box.exec();
}

workbook_reader* TFFiles::reader() const {
    if (source_kind == 0) return xls_reader.get();
    if (source_kind == 1) return clc_reader.get();
    return nullptr;
}

const sheets* TFFiles::open_sheets() const {
    if (book_index < 0) return nullptr;
    const workbook_reader* r = reader();
    if (!r || book_index >= static_cast<std::int32_t>(r->files().size())) return nullptr;
    return &r->files()[static_cast<std::size_t>(book_index)].sheets;
}

const sheet* TFFiles::open_sheet(std::int32_t index) const {
    const sheets* list = open_sheets();
    if (!list || index < 0 || index >= static_cast<std::int32_t>(list->size())) return nullptr;
    return &(*list)[static_cast<std::size_t>(index)];
}

void TFFiles::refresh_captions() {
    FileNamePanel1->setText(chosen_path);
    auto row_text = [](std::int32_t row) {
        return row == -1 ? QString() : QString::number(row + 1);
    };
    TitleRowPanel1->setText(pick_mode == QLatin1String("TitleRow1") ? QStringLiteral("?")
                                                                    : row_text(title_row));
    FirstRowPanel1->setText(pick_mode == QLatin1String("FirstRow1") ? QStringLiteral("?")
                                                                    : row_text(data_begin_row));
    auto letters = [](std::int32_t column) {
        return column == -1 ? QString() : QString::fromStdString(column_letters(column));
    };
    XPanel1->setText(letters(x_column));
    YPanel1->setText(letters(y_column));
    ZPanel1->setText(letters(z_column));
    if (source_kind == 0 || source_kind == 1) {
        QString name;
        if (const sheet* s = open_sheet(chosen_sheet)) name = QString::fromStdString(s->name);
        SheetPanel1->setText(pick_mode == QLatin1String("Sheet1") ? QStringLiteral("?") : name);
    }
    set_bold(FileChoiseButton1, chosen_path.isEmpty());
    set_bold(SheetButton1, chosen_sheet == -1);
    set_bold(FirstRowButton1, data_begin_row == -1);
    set_bold(XColumnButton1, x_column == -1);
    set_bold(YColumnButton1, y_column == -1);
    set_bold(ZColumnButton1, z_column == -1);
}

void TFFiles::update_start_button() {
    OKButton->setEnabled(chosen_sheet >= 0 && !chosen_path.isEmpty() && data_begin_row >= 0 &&
                         x_column >= 0 && y_column >= 0 && z_column >= 0);
}

void TFFiles::release_reader() {
    if (xls_reader) {
        xls_reader->close_all();
        xls_reader.reset();
    }
    if (clc_reader) {
        clc_reader->close_all();
        clc_reader.reset();
    }
}

void TFFiles::FileChoiseButton1Click() {
    const QString path = run_file_dialog(od);
    if (path.isEmpty()) return;
    main_.import_folder = od->directory().absolutePath();
    escape_on_error([&] { open_file(path); });
}

void TFFiles::escape_on_error(const std::function<void()>& handler) {
    // Nothing may be thrown through the event loop: the window closes and
    // the main window reports the error.
    try {
        handler();
    } catch (const std::exception& error) {
        failure = QString::fromStdString(error_text(error));
        release_reader();
        reject();
    }
}

void TFFiles::open_file(const QString& path) {
    release_reader();
    // Letter case counts: "x.ODS" goes to the other reader, which reads it
    // all the same, since both tell a workbook by its content.
    if (path.endsWith(QLatin1String(".ods"), Qt::CaseSensitive)) {
        clc_reader = std::make_unique<clc>();
        source_kind = 1;
        if (!clc_reader->available)
            show_note(tr("To use the import you must have Open Office Calc installed on your PC"),
                      tr("warnining"));
    } else {
        xls_reader = std::make_unique<xls>();
        source_kind = 0;
        if (!xls_reader->available)
            show_note(tr("To use the import you must have Microsoft Excel installed on your PC"),
                      tr("warnining"));
    }
    chosen_path = path;
    data_begin_row = title_row = x_column = y_column = z_column = chosen_sheet = -1;
    OKButton->setEnabled(false);

    const std::string file = path.toStdString();
    std::int32_t book = -1;
    bool read = false;
    {
        const reader_busy_scope busy_reader(*this);
        busy_work busy(this);
        read = busy.run(tr("Reading %1 ...").arg(path), [&](const std::stop_token& stop) {
            book = reader()->open_book(file, stop);
        });
    }
    book_index = book;
    tab_change_running_ = true;
    while (TabSet1->count() > 0)
        TabSet1->removeTab(0);
    tab_change_running_ = false;

    const sheets* list = open_sheets();
    if (book_index == -1 || !list || list->empty()) {
        chosen_path.clear();
        book_index = -1;
        // The reader knows why; a blank grid alone would not say.
        QString reason = QString::fromStdString(reader()->last_error());
        if (reason.isEmpty()) reason = tr("Cannot open \"%1\": it holds no sheet").arg(path);
        reason[0] = reason[0].toUpper(); // the reader's sentence starts a message here
        // A read the user stopped needs no message.
        if (read) report_error(this, reason);
    } else {
        tab_change_running_ = true;
        for (const sheet& s : *list)
            TabSet1->addTab(QString::fromStdString(s.name));
        TabSet1->setCurrentIndex(0);
        tab_change_running_ = false;
        current_tab_ = 0;
        TabSet1Change(0);
        set_rows_from(0);
    }
    refresh_captions();
    Grid1->repaint_all();
}

void TFFiles::set_rows_from(std::int32_t sheet) {
    const tessaline::sheet* s = open_sheet(sheet);
    if (!s) return;
    const std::int32_t used = s->used_rows;
    Grid1->set_row_count(used <= 1 ? 2 : used + 2);
}

void TFFiles::SheetButton1Click() {
    if (chosen_path.isEmpty()) {
        show_note(tr("File not opened"), tr("Note"));
        return;
    }
    title_row = data_begin_row = x_column = y_column = z_column = -1;
    Grid1->scroll_home();
    Grid1->repaint_all();
    pick_mode = QStringLiteral("Sheet1");
    refresh_captions();
    SheetPanel1->setText(QStringLiteral("?"));
    OKButton->setEnabled(false);
}

void TFFiles::pick_row_or_column(std::int32_t& field, const char* mode, QLabel* panel) {
    if (chosen_sheet == -1) {
        show_note(chosen_path.isEmpty() ? tr("You need open the file and select the sheet first")
                                        : tr("Please select the sheet first"),
                  tr("Note"));
        return;
    }
    field = -1;
    Grid1->scroll_home();
    Grid1->repaint_all();
    pick_mode = QString::fromLatin1(mode);
    refresh_captions();
    update_start_button();
    panel->setText(QStringLiteral("?"));
}

void TFFiles::TitleRowButton1Click() {
    pick_row_or_column(title_row, "TitleRow1", TitleRowPanel1);
}

void TFFiles::FirstRowButton1Click() {
    pick_row_or_column(data_begin_row, "FirstRow1", FirstRowPanel1);
}

void TFFiles::XColumnButton1Click() {
    pick_row_or_column(x_column, "XColumn1", XPanel1);
}

void TFFiles::YColumnButton1Click() {
    pick_row_or_column(y_column, "YColumn1", YPanel1);
}

void TFFiles::ZColumnButton1Click() {
    pick_row_or_column(z_column, "ZColumn1", ZPanel1);
}

void TFFiles::hit_test(QPoint grid_point) {
    hover_row = Grid1->hit_row(grid_point.y());
    hover_column = Grid1->hit_column(grid_point.x());
}

void TFFiles::Grid1MouseMove(QPoint grid_point) {
    const std::int32_t old_row = hover_row, old_column = hover_column;
    hit_test(grid_point);
    if (!pick_mode.isEmpty() && (hover_row != old_row || hover_column != old_column))
        Grid1->repaint_all();
}

void TFFiles::Grid1MouseDown(QPoint grid_point) {
    hit_test(grid_point);
    const bool open = book_index >= 0;
    bool accepted = false;
    bool start_button = false;
    // A pick on the heading row (or above the grid) leaves the row unchosen.
    const std::int32_t row = std::max(hover_row - 1, -1);
    if (pick_mode == QLatin1String("Sheet1")) {
        if (open) {
            chosen_sheet = shown_sheet;
            accepted = true;
        }
    } else if (pick_mode == QLatin1String("TitleRow1")) {
        title_row = row;
        accepted = true;
    } else if (pick_mode == QLatin1String("FirstRow1")) {
        data_begin_row = row;
        accepted = start_button = true;
    } else if (pick_mode == QLatin1String("XColumn1") || pick_mode == QLatin1String("YColumn1") ||
               pick_mode == QLatin1String("ZColumn1")) {
        const sheet* shown = open ? open_sheet(shown_sheet) : nullptr;
        if (shown && hover_column >= 1 && hover_column - 1 <= shown->used_cols) {
            std::int32_t& field = pick_mode == QLatin1String("XColumn1")   ? x_column
                                  : pick_mode == QLatin1String("YColumn1") ? y_column
                                                                           : z_column;
            field = hover_column - 1;
            accepted = start_button = true;
        }
    }
    if (!accepted) return;
    pick_mode.clear();
    refresh_captions();
    Grid1->repaint_all();
    if (start_button) update_start_button();
}

bool TFFiles::TabSet1Change(int new_tab) {
    if (chosen_sheet != -1 && pick_mode != QLatin1String("Sheet1")) {
        show_note(tr("Press Sheet Button first"), tr("Note"));
        return false;
    }
    shown_sheet = new_tab;
    set_rows_from(shown_sheet);
    if (pick_mode == QLatin1String("Sheet1")) {
        chosen_sheet = shown_sheet;
        pick_mode.clear();
        refresh_captions();
    }
    Grid1->repaint_all();
    return true;
}

TFFiles::cell_decoration TFFiles::decoration(int grid_row, int grid_column) const {
    cell_decoration d;
    const bool open = book_index >= 0 && !reader_busy_;
    std::int32_t cols = 0;
    if (open)
        if (const sheet* shown = open_sheet(shown_sheet)) cols = shown->used_cols;
    const bool column_pick = pick_mode == QLatin1String("XColumn1") ||
                             pick_mode == QLatin1String("YColumn1") ||
                             pick_mode == QLatin1String("ZColumn1");
    if (grid_column == 0 && grid_row == 0 && chosen_sheet >= 0) d.marks |= sheet_dot;
    if ((pick_mode == QLatin1String("TitleRow1") || pick_mode == QLatin1String("FirstRow1")) &&
        grid_row == hover_row)
        d.marks |= row_hover;
    if (open && column_pick && grid_column == hover_column && hover_column - 1 <= cols)
        d.marks |= column_hover;
    if (open && grid_column == cols) d.marks |= used_edge;
    // Tested in this order: a later match replaces an earlier one.
    if (grid_row == 0 && grid_column > 0) {
        if (grid_column == x_column + 1) d.label = "X col.";
        if (grid_column == y_column + 1) d.label = "Y col.";
        if (grid_column == z_column + 1) d.label = "Z col.";
    }
    if (grid_column == 0 && grid_row > 0) {
        if (grid_row == data_begin_row + 1) d.label = "Data Begin";
        if (grid_row == title_row + 1) d.label = "Title";
    }
    return d;
}

void TFFiles::Grid1DrawCell(QPainter& painter, const QRect& rect, int grid_row, int grid_column) {
    const cell_decoration d = decoration(grid_row, grid_column);
    if (grid_column == 0 && !d.label.empty()) {
        QFont bold = Grid1->font();
        bold.setBold(true);
        const int width = QFontMetrics(bold).horizontalAdvance(QString::fromStdString(d.label));
        // Room on both sides, so the label does not touch the cell's edges.
        const int wanted = width + 2 * label_padding;
        // Not while painting: the new width lays the grid out again.
        if (Grid1->column_width(0) < wanted)
            QMetaObject::invokeMethod(
                Grid1, [grid = Grid1, wanted] { grid->set_column_zero_width(wanted); },
                Qt::QueuedConnection);
    }
    if (reader_busy_) return;
    painter_canvas canvas(painter, Grid1->font());
    const cell_rect r{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    if (workbook_reader* in_use = reader())
        in_use->draw_cell(canvas, r, d.label, static_cast<cell_marks>(d.marks), shown_sheet,
                          book_index, grid_row, grid_column);
}

void TFFiles::OKButtonClick() {
    escape_on_error([this] {
        if (!run_import()) return;
        release_reader();
        accept();
    });
}

} // namespace tessaline
