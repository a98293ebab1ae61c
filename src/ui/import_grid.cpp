#include "import_grid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace tessaline {

int sheet_grid_model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int sheet_grid_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_sheet_columns;
}

QVariant sheet_grid_model::data(const QModelIndex&, int) const {
    return {};
}

QVariant sheet_grid_model::headerData(int, Qt::Orientation, int) const {
    return {};
}

void sheet_grid_model::set_sheet_rows(int rows) {
    rows = std::max(rows, 0);
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
}

namespace {

// A heading row or column painted by the grid's callback.
class heading : public QHeaderView {
  public:
    heading(Qt::Orientation orientation, import_grid* grid)
        : QHeaderView(orientation, grid), grid_(grid) {}

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        if (orientation() == Qt::Horizontal)
            grid_->paint_fixed(*painter, rect, 0, section + 1);
        else
            grid_->paint_fixed(*painter, rect, section + 1, 0);
    }

  private:
    import_grid* grid_;
};

class cell_delegate : public QStyledItemDelegate {
  public:
    explicit cell_delegate(import_grid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        grid_->paint_cell(*painter, option.rect, index.row() + 1, index.column() + 1);
    }

  private:
    import_grid* grid_;
};

// Grid rows or columns under a position, the fixed one first.
int hit_section(int position, int fixed_size, const QHeaderView* header, int default_size) {
    if (position < 1) return -1;
    if (position <= fixed_size) return 0;
    const int inside = position - fixed_size;
    const int section = header->logicalIndexAt(inside);
    if (section >= 0) return section + 1;
    const int count = header->count();
    const int end =
        count == 0 ? 0
                   : header->sectionViewportPosition(count - 1) + header->sectionSize(count - 1);
    if (inside < end) return -1;
    return count + 1 + (inside - end) / default_size;
}

} // namespace

import_grid::import_grid(QWidget* parent) : QTableView(parent), model_(new sheet_grid_model(this)) {
    setHorizontalHeader(new heading(Qt::Horizontal, this));
    setVerticalHeader(new heading(Qt::Vertical, this));
    setModel(model_);
    setItemDelegate(new cell_delegate(this));
    setEditTriggers(NoEditTriggers);
    setSelectionMode(NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    setShowGrid(true);
    setFrameShape(QFrame::NoFrame);
    setWordWrap(false);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerItem);

    QHeaderView* top = horizontalHeader();
    top->setSectionResizeMode(QHeaderView::Interactive);
    top->setMinimumSectionSize(4);
    top->setDefaultSectionSize(grid_default_column_width);
    top->setHighlightSections(false);
    top->setSectionsClickable(false);
    top->setFixedHeight(grid_default_row_height);
    QHeaderView* left = verticalHeader();
    left->setSectionResizeMode(QHeaderView::Interactive);
    left->setMinimumSectionSize(4);
    left->setDefaultSectionSize(grid_default_row_height);
    left->setHighlightSections(false);
    left->setSectionsClickable(false);
    left->setFixedWidth(grid_default_column_width);

    for (QWidget* w : {viewport(), top->viewport(), left->viewport()}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
        w->setCursor(Qt::CrossCursor);
    }
    // The corner is grid cell (0, 0): it carries the chosen-sheet dot.
    if (auto* corner = findChild<QAbstractButton*>()) {
        corner->setMouseTracking(true);
        corner->installEventFilter(this);
        corner->setCursor(Qt::CrossCursor);
    }
}

int import_grid::row_count() const {
    return model_->rowCount() + 1;
}

void import_grid::set_row_count(int rows) {
    model_->set_sheet_rows(std::max(rows, 1) - 1);
}

int import_grid::column_width(int grid_column) const {
    return grid_column == 0 ? verticalHeader()->width() : columnWidth(grid_column - 1);
}

void import_grid::set_column_zero_width(int width) {
    verticalHeader()->setFixedWidth(width);
    // The cells' viewport moves over only when the view lays itself out.
    updateGeometries();
}

void import_grid::scroll_home() {
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void import_grid::repaint_all() {
    viewport()->update();
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
    if (auto* corner = findChild<QAbstractButton*>()) corner->update();
}

int import_grid::hit_row(int y) const {
    return hit_section(y, horizontalHeader()->height(), verticalHeader(), grid_default_row_height);
}

int import_grid::hit_column(int x) const {
    return hit_section(x, verticalHeader()->width(), horizontalHeader(), grid_default_column_width);
}

QPoint import_grid::grid_point(QWidget* from, QPoint position) const {
    const QPoint origin(frameWidth(), frameWidth());
    return from->mapTo(this, position) - origin;
}

QPoint import_grid::cell_centre(int grid_row, int grid_column) const {
    const int x = grid_column == 0
                      ? verticalHeader()->width() / 2
                      : verticalHeader()->width() + columnViewportPosition(grid_column - 1) +
                            columnWidth(grid_column - 1) / 2;
    const int y = grid_row == 0 ? horizontalHeader()->height() / 2
                                : horizontalHeader()->height() + rowViewportPosition(grid_row - 1) +
                                      rowHeight(grid_row - 1) / 2;
    return {x, y};
}

void import_grid::paint_fixed(QPainter& painter, const QRect& rect, int grid_row,
                              int grid_column) const {
    painter.save();
    painter.fillRect(rect, palette().button());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.restore();
    if (draw_) draw_(painter, rect, grid_row, grid_column);
}

void import_grid::paint_cell(QPainter& painter, const QRect& rect, int grid_row,
                             int grid_column) const {
    painter.fillRect(rect, palette().base());
    if (draw_) draw_(painter, rect, grid_row, grid_column);
}

bool import_grid::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::Paint && qobject_cast<QAbstractButton*>(widget)) {
        QPainter painter(widget);
        paint_fixed(painter, widget->rect(), 0, 0);
        return true;
    }
    // The scroll area filters its scroll bars' events through here too: only
    // the cells, the headings and the corner pick.
    const bool picks =
        widget &&
        (widget == viewport() || widget == horizontalHeader()->viewport() ||
         widget == verticalHeader()->viewport() || qobject_cast<QAbstractButton*>(widget));
    if (picks &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        const QPoint at =
            grid_point(widget, static_cast<QMouseEvent*>(event)->position().toPoint());
        if (event->type() == QEvent::MouseButtonPress)
            emit grid_mouse_down(at);
        else
            emit grid_mouse_move(at);
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace tessaline
