#include "import/open_books.h"

#include "import/workbook.h"

#include <algorithm>

namespace tessaline {

std::int32_t open_books::open_book(const std::string& path, const read_limits& limits,
                                   std::stop_token stop) {
    workbook_result read = read_workbook(path, limits, std::move(stop));
    if (!read.book) {
        last_error = read.error;
        return -1;
    }
    last_error.clear();
    workbook_file file;
    file.path = path;
    std::size_t slash = path.find_last_of('/');
    file.file_name = slash == std::string::npos ? path : path.substr(slash + 1);
    file.book = std::make_shared<const workbook>(std::move(*read.book));
    files.push_back(std::move(file));
    auto index = static_cast<std::int32_t>(files.size() - 1);
    files.back().sheets = load_sheets(index);
    activate_book(index);
    return index;
}

tessaline::sheets open_books::load_sheets(std::int32_t book) const {
    tessaline::sheets list;
    if (book < 0 || static_cast<std::size_t>(book) >= files.size() || !files[book].book)
        return list;
    for (const workbook_sheet& s : files[book].book->sheets) {
        tessaline::sheet entry;
        entry.name = s.name;
        entry.used_rows = s.used_rows;
        entry.used_cols = s.used_cols;
        list.push_back(std::move(entry));
    }
    return list;
}

bool open_books::activate_book(std::int32_t book) {
    if (book < 0 || static_cast<std::size_t>(book) >= files.size() || !files[book].book)
        return false;
    current_book = book;
    return true;
}

const tessaline::sheet* open_books::sheet_at(std::int32_t book, std::int32_t sheet) const {
    if (book < 0 || static_cast<std::size_t>(book) >= files.size()) return nullptr;
    const auto& list = files[book].sheets;
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= list.size()) return nullptr;
    return &list[static_cast<std::size_t>(sheet)];
}

std::optional<workbook_cell> open_books::find(std::int32_t book, std::int32_t sheet,
                                              std::int32_t row, std::int32_t column) {
    const tessaline::sheet* s = sheet_at(book, sheet);
    if (!s || row < 1 || row > s->used_rows || column < 1 || column > s->used_cols)
        return std::nullopt;
    if (book != current_book) activate_book(book);
    if (!files[book].book) return std::nullopt;
    return files[book].book->cell(sheet, row, column);
}

cell_value
open_books::cached_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                        std::int32_t column,
                        const std::function<cell_value(std::int32_t, std::int32_t)>& read_cell) {
    const tessaline::sheet* found = sheet_at(book, sheet);
    if (!found || row < 1 || column < 1 || row > found->used_rows || column > found->used_cols ||
        column > cached_columns)
        return read_cell(row, column);
    auto& s = files[book].sheets[static_cast<std::size_t>(sheet)];
    sb_sheet& cache = s.cache;
    if (row < cache.first_row || row > cache.last_row) {
        // Everything cached for this sheet is dropped for a window around the row.
        cache.first_row = std::max(row - cache_reach, 1);
        cache.last_row = std::min(cache.first_row + 2 * cache_reach, s.used_rows);
        cache.cached_rows.assign(static_cast<std::size_t>(cache.last_row - cache.first_row + 1),
                                 sb_record{});
    }
    sb_record& record = cache.cached_rows[static_cast<std::size_t>(row - cache.first_row)];
    if (!record.loaded) {
        std::int32_t width = std::min(s.used_cols, cached_columns);
        record.row_cells.clear();
        record.row_cells.reserve(static_cast<std::size_t>(width));
        for (std::int32_t c = 1; c <= width; ++c)
            record.row_cells.push_back(read_cell(row, c));
        record.loaded = true;
    }
    return record.row_cells[static_cast<std::size_t>(column - 1)];
}

void open_books::close_all() {
    for (workbook_file& f : files)
        f.book.reset();
}

} // namespace tessaline
