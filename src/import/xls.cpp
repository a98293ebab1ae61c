#include "import/xls.h"

#include "import/cell_text.h"

namespace tessaline {

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

} // namespace tessaline
