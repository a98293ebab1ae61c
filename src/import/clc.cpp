#include "import/clc.h"

#include "graph/number_text.h"
#include "import/cell_text.h"

namespace tessaline {

clc::clc() : decimal_separator(locale_decimal_separator()) {}

// Releasing the reader also drops its workbooks: nothing stays loaded behind it.
clc::~clc() {
    close_all();
}

std::int32_t clc::open_book(const std::string& path) {
    return books_.open_book(path, limits);
}

std::optional<std::string> clc::cell_text(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                          std::int32_t column) {
    auto cell = books_.find(book, sheet, row, column);
    if (!cell) return std::string();
    return shown_text(*cell, decimal_separator);
}

std::optional<double> clc::cell_number(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                      std::int32_t column) {
    auto cell = books_.find(book, sheet, row, column);
    if (!cell || cell->kind != cell_kind::number) return std::nullopt;
    return cell->number;
}

cell_value clc::read_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                          std::int32_t column) {
    cell_value result;
    auto cell = books_.find(book, sheet, row, column);
    if (!cell) return result;
    result.value = shown_text(*cell, decimal_separator);
    if (cell->fill != -1) result.background = cell->fill;
    return result;
}

cell_value clc::cached_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                            std::int32_t column) {
    return books_.cached_cell(book, sheet, row, column, [&](std::int32_t r, std::int32_t c) {
        return read_cell(book, sheet, r, c);
    });
}

void clc::draw_cell(cell_canvas& canvas, const cell_rect& rect, std::string_view label,
                    cell_marks marks, std::int32_t sheet, std::int32_t book, std::int32_t grid_row,
                    std::int32_t grid_column) {
    draw_grid_cell(canvas, rect, label, marks, grid_row, grid_column,
                   cached_cell(book, sheet, grid_row, grid_column), false);
}

} // namespace tessaline
