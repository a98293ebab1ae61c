// What the two workbook-access classes share: the open workbooks with their
// sheet lists and row cache, and the grid cell drawing. They differ only in
// the text a cell reads as and whether the grid shows the cell's own font.
#pragma once

#include "import/cell_canvas.h"
#include "import/open_books.h"

#include <optional>
#include <stop_token>
#include <string>

namespace tessaline {

class workbook_reader {
  public:
    workbook_reader();
    // Releasing the reader also drops its workbooks: nothing stays loaded behind it.
    virtual ~workbook_reader();
    workbook_reader(const workbook_reader&) = delete;
    workbook_reader& operator=(const workbook_reader&) = delete;

    // Books are read by this program itself, so access is always available.
    bool available = true;
    char decimal_separator; // the user's, taken at creation
    read_limits limits;

    std::int32_t current_book() const { return books_.current_book; }
    const std::vector<workbook_file>& files() const { return books_.files; }
    const std::string& last_error() const { return books_.last_error; }

    // Book index, or -1 when the file cannot be opened (reason in last_error());
    // throws work_stopped once `stop` is requested.
    std::int32_t open_book(const std::string& path, std::stop_token stop = {});
    tessaline::sheets load_sheets(std::int32_t book) const { return books_.load_sheets(book); }
    bool activate_book(std::int32_t book) { return books_.activate_book(book); }
    // Empty outside the used area; nothing for a cell with no text form.
    virtual std::optional<std::string> cell_text(std::int32_t book, std::int32_t sheet,
                                                 std::int32_t row, std::int32_t column) = 0;
    virtual cell_value read_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                 std::int32_t column) = 0;
    cell_value cached_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                           std::int32_t column);
    void draw_cell(cell_canvas& canvas, const cell_rect& rect, std::string_view label,
                   cell_marks marks, std::int32_t sheet, std::int32_t book, std::int32_t grid_row,
                   std::int32_t grid_column);
    void close_all() { books_.close_all(); }

  protected:
    // Whether the grid draws cells in their own font.
    virtual bool cells_in_own_font() const = 0;

    open_books books_;
};

} // namespace tessaline
