// The import window's grid: grid row 0 (column letters) and grid column 0
// (row numbers) are the table's fixed headers, every cell is painted by one
// callback, and the model holds nothing, so a sheet of a million rows costs
// only the cells on screen.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include <functional>

namespace tessaline {

// Grid columns besides the row-number column: A to IV.
inline constexpr int grid_sheet_columns = 256;
inline constexpr int grid_default_column_width = 74;
inline constexpr int grid_default_row_height = 20;

// Rows and columns of the sheet part of the grid; no data of its own.
class sheet_grid_model : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Keeps the sizes the user gave the rows that stay.
    void set_sheet_rows(int rows);

  private:
    int rows_ = 0;
};

class import_grid : public QTableView {
    Q_OBJECT
  public:
    // Paints grid cell (row, column) inside `rect` once the grid has filled it.
    using draw_function = std::function<void(QPainter&, const QRect&, int, int)>;

    explicit import_grid(QWidget* parent = nullptr);

    void set_draw(draw_function draw) { draw_ = std::move(draw); }
    // Grid rows, the heading row included (at least 1).
    int row_count() const;
    void set_row_count(int rows);
    int column_width(int grid_column) const;
    void set_column_zero_width(int width);
    void scroll_home();
    void repaint_all();

    // The grid row and column under a point of the grid (0, 0 at the corner
    // cell), -1 above or left of the grid; past the last row or column the
    // count goes on in default sizes.
    int hit_row(int y) const;
    int hit_column(int x) const;
    // A point of the grid for a widget position inside it, and back.
    QPoint grid_point(QWidget* from, QPoint position) const;
    QPoint cell_centre(int grid_row, int grid_column) const;

    void paint_fixed(QPainter& painter, const QRect& rect, int grid_row, int grid_column) const;
    void paint_cell(QPainter& painter, const QRect& rect, int grid_row, int grid_column) const;

  signals:
    void grid_mouse_down(QPoint grid_point);
    void grid_mouse_move(QPoint grid_point);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    sheet_grid_model* model_;
    draw_function draw_;
};

} // namespace tessaline
