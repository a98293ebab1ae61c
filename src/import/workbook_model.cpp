#include "import/workbook_model.h"

#include <algorithm>

namespace tessaline {

workbook_cell workbook::cell(int sheet, std::int64_t row, std::int64_t column) const {
    workbook_cell result;
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= sheets.size()) return result;
    const workbook_sheet& s = sheets[static_cast<std::size_t>(sheet)];
    if (row < 1 || column < 1 || row > s.used_rows || column > s.used_cols) return result;
    // A search over the sorted cells: an index by row would cost memory for
    // every row above the last one, however few of them hold anything.
    auto found =
        std::lower_bound(s.cells.begin(), s.cells.end(), std::pair{row, column},
                         [](const stored_cell& c, const std::pair<std::int64_t, std::int64_t>& at) {
                             return c.row != at.first ? c.row < at.first : c.column < at.second;
                         });
    if (found == s.cells.end() || found->row != row || found->column != column) return result;

    result.kind = found->kind;
    result.number = found->number;
    std::string_view text =
        found->text == text_pool::none ? std::string_view() : texts.get(found->text);
    if (found->kind == cell_kind::text || found->kind == cell_kind::error) result.text = text;
    if (format == workbook_format::ods && found->text != text_pool::none) result.shown = text;
    const cell_format& f = formats[found->format < formats.size() ? found->format : 0];
    // The first font is the workbook's default (its "Normal" style). Cells in
    // it are drawn in the grid's font, as a workbook that names no fonts is,
    // so that the same sheet looks alike in every format.
    if (f.font > 0 && static_cast<std::size_t>(f.font) < fonts.size())
        result.font = &fonts[static_cast<std::size_t>(f.font)];
    result.fill = f.fill;
    return result;
}

} // namespace tessaline
