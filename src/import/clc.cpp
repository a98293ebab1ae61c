#include "import/clc.h"

#include "import/cell_text.h"

namespace tessaline {

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

} // namespace tessaline
