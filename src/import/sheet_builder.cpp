#include "import/sheet_builder.h"

#include <algorithm>

namespace tessaline {

namespace {

bool before(const stored_cell& a, const stored_cell& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
}

} // namespace

bool sheet_builder::add(const stored_cell& cell) {
    if (cell.row < 1 || cell.row > max_sheet_rows || cell.column < 1 ||
        cell.column > max_sheet_columns)
        return true; // outside any grid a spreadsheet can show: ignored
    if (!budget_.add_cell()) return false;
    if (!cells_.empty() && !before(cells_.back(), cell)) in_order_ = false;
    cells_.push_back(cell);
    return true;
}

bool sheet_builder::add_repeated(stored_cell cell, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count && cell.column <= max_sheet_columns; ++i, ++cell.column)
        if (!add(cell)) return false;
    return true;
}

bool sheet_builder::finish(std::string name, workbook& book) {
    workbook_sheet sheet;
    sheet.name = std::move(name);
    if (!in_order_) {
        // Writers may list cells out of order; a later cell at the same place wins.
        std::stable_sort(cells_.begin(), cells_.end(), before);
        auto last = std::unique(cells_.rbegin(), cells_.rend(),
                                [](const stored_cell& a, const stored_cell& b) {
                                    return a.row == b.row && a.column == b.column;
                                });
        cells_.erase(cells_.begin(), last.base());
    }
    cells_.shrink_to_fit();
    if (!budget_.add_bytes(sizeof sheet)) return false;
    if (cells_.empty()) {
        book.sheets.push_back(std::move(sheet));
        return true;
    }

    std::uint16_t last_column = 0;
    for (const stored_cell& c : cells_)
        last_column = std::max(last_column, c.column);
    sheet.used_rows = static_cast<std::int32_t>(cells_.back().row);
    sheet.used_cols = last_column;
    sheet.cells = std::move(cells_);
    book.sheets.push_back(std::move(sheet));
    return true;
}

} // namespace tessaline
