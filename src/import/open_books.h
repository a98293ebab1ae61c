// The state both workbook-access classes share: the workbooks opened, which
// one is current, their sheet lists, and the row cache in front of the cells.
#pragma once

#include "import/cell_records.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace tessaline {

// Rows the cache keeps around the last row asked for, on either side.
inline constexpr std::int32_t cache_reach = 50;
// Columns a cached row holds: the 256 the import grid can show. Cells further
// right are read directly, so a 16384-column sheet does not fill 1.6 million
// cached cells for one screen of rows.
inline constexpr std::int32_t cached_columns = 256;

class open_books {
  public:
    std::int32_t current_book = -1;
    std::vector<workbook_file> files;
    // Why the last open_book failed.
    std::string last_error;

    std::int32_t open_book(const std::string& path, const read_limits& limits,
                           std::stop_token stop = {});
    tessaline::sheets load_sheets(std::int32_t book) const;
    bool activate_book(std::int32_t book);
    // The cell when book, sheet, row and column lie inside a used area.
    std::optional<workbook_cell> find(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                      std::int32_t column);
    cell_value cached_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                           std::int32_t column,
                           const std::function<cell_value(std::int32_t, std::int32_t)>& read_cell);
    void close_all();

  private:
    const tessaline::sheet* sheet_at(std::int32_t book, std::int32_t sheet) const;
};

} // namespace tessaline
