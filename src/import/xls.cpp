#include "import/xls.h"

#include "graph/number_text.h"
#include "import/cell_text.h"

namespace tessaline {

xls::xls() : decimal_separator(locale_decimal_separator()) {}

xls::~xls() {
    close_all();
}

std::int32_t xls::open_book(const std::string& path) {
    return books_.open_book(path, limits);
}

std::optional<std::string> xls::cell_text(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                          std::int32_t column) {
    auto cell = books_.find(book, sheet, row, column);
    if (!cell) return std::string();
    return value_text(*cell, decimal_separator);
}

cell_value xls::read_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                          std::int32_t column) {
    cell_value result;
    auto cell = books_.find(book, sheet, row, column);
    if (!cell) return result;
    // An error value has no text form; the grid shows its code.
    result.value = value_text(*cell, decimal_separator).value_or(std::string(cell->text));
    if (cell->fill != -1) result.background = cell->fill;
    result.attr = to_font_attr(cell->font);
    return result;
}

cell_value xls::cached_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                            std::int32_t column) {
    return books_.cached_cell(book, sheet, row, column, [&](std::int32_t r, std::int32_t c) {
        return read_cell(book, sheet, r, c);
    });
}

void xls::draw_cell(cell_canvas& canvas, const cell_rect& rect, std::string_view label,
                    cell_marks marks, std::int32_t sheet, std::int32_t book, std::int32_t grid_row,
                    std::int32_t grid_column) {
    draw_grid_cell(canvas, rect, label, marks, grid_row, grid_column,
                   cached_cell(book, sheet, grid_row, grid_column), true);
}

} // namespace tessaline
