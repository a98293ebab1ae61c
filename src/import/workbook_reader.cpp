#include "import/workbook_reader.h"

#include "graph/number_text.h"

namespace tessaline {

workbook_reader::workbook_reader() : decimal_separator(locale_decimal_separator()) {}

workbook_reader::~workbook_reader() {
    close_all();
}

std::int32_t workbook_reader::open_book(const std::string& path, std::stop_token stop) {
    return books_.open_book(path, limits, std::move(stop));
}

cell_value workbook_reader::cached_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                        std::int32_t column) {
    return books_.cached_cell(book, sheet, row, column, [&](std::int32_t r, std::int32_t c) {
        return read_cell(book, sheet, r, c);
    });
}

void workbook_reader::draw_cell(cell_canvas& canvas, const cell_rect& rect, std::string_view label,
                                cell_marks marks, std::int32_t sheet, std::int32_t book,
                                std::int32_t grid_row, std::int32_t grid_column) {
    draw_grid_cell(canvas, rect, label, marks, grid_row, grid_column,
                   cached_cell(book, sheet, grid_row, grid_column), cells_in_own_font());
}

} // namespace tessaline
