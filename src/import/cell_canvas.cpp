#include "import/cell_canvas.h"

#include "graph/declaration.h"

#include <string>

namespace tessaline {

namespace {

constexpr std::int32_t blue = 0xFF0000;
constexpr std::int32_t silver = 0xC0C0C0;
constexpr std::int32_t black = 0;

void centred_heading(cell_canvas& canvas, const cell_rect& rect, const std::string& text) {
    font_attr bold;
    bold.style = font_bold;
    int x = rect.left + (rect.right - rect.left) / 2 - canvas.text_width(text, bold) / 2;
    canvas.text(rect, x, rect.top + 2, text, bold, std::nullopt);
}

} // namespace

void draw_grid_cell(cell_canvas& canvas, const cell_rect& rect, std::string_view label,
                    cell_marks marks, int grid_row, int grid_column, const cell_value& cell,
                    bool cell_font) {
    if (marks & sheet_dot)
        canvas.fill_ellipse({rect.left + 3, rect.top + 3, rect.left + 9, rect.top + 9}, blue);

    if (grid_column == 0 && grid_row > 0)
        centred_heading(canvas, rect,
                        label.empty() ? std::to_string(grid_row) : std::string(label));
    else if (grid_row == 0 && grid_column > 0)
        centred_heading(canvas, rect,
                        label.empty() ? column_letters(grid_column - 1) : std::string(label));
    else if (grid_row > 0 && grid_column > 0) {
        font_attr font = cell_font ? cell.attr : font_attr{};
        canvas.line(rect.right, rect.top, rect.right, rect.bottom, silver);
        canvas.text(rect, rect.left + 2, rect.top + 2, label.empty() ? cell.value : label, font,
                    cell.background);
    }

    if (marks & row_hover) {
        canvas.line(rect.left, rect.bottom - 1, rect.right, rect.bottom - 1, blue);
        canvas.line(rect.left, rect.top, rect.right, rect.top, blue);
    }
    if (marks & column_hover) {
        canvas.line(rect.left, rect.bottom, rect.left, rect.top - 1, blue);
        canvas.line(rect.right - 1, rect.bottom, rect.right - 1, rect.top - 1, blue);
    }
    if (marks & used_edge) canvas.line(rect.right, rect.top, rect.right, rect.bottom, black);
}

} // namespace tessaline
