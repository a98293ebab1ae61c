#include "import/format_readers.h"

#include "files/table_text.h"
#include "files/value_text.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tessaline {

bool read_text_table(const std::string& path, read_budget& budget, workbook& book,
                     std::string& error) {
    std::error_code size_error;
    const std::uintmax_t size = std::filesystem::file_size(path, size_error);
    if (size_error) {
        error = size_error.message();
        return false;
    }
    if (size > budget.limits.max_table_bytes) {
        error = "the text table is larger than " +
                std::to_string(budget.limits.max_table_bytes >> 20) + " MB";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        error = "it cannot be read";
        return false;
    }
    // No text table holds a zero byte; a file of another kind would show as noise.
    if (text.find('\0') != std::string::npos) {
        error = "the file is neither a workbook nor a text table";
        return false;
    }
    // Markup (a graph file, a web page) is no table, though it is text.
    const std::size_t first = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (first != std::string::npos && text[first] == '<') {
        error = "it is an XML file, not a workbook or a text table";
        return false;
    }
    if (!budget.add_bytes(text.size())) {
        error = budget.refusal();
        return false;
    }

    const char separator = table_separator(text);
    sheet_builder sheet(budget);
    bool ok = true;
    // Prose is text too; a table has rows of numbers.
    bool numbers_in_a_row = false;
    for_each_table_line(text, [&](std::string_view line, std::size_t number) {
        if (number > static_cast<std::size_t>(max_sheet_rows)) return false;
        std::uint16_t column = 0;
        int numbers = 0;
        for (const std::string& content : table_cells(line, separator)) {
            if (++column > max_sheet_columns) break;
            if (content.empty()) continue;
            stored_cell cell;
            cell.row = static_cast<std::uint32_t>(number);
            cell.column = column;
            if (const std::optional<double> value = parse_real(content)) {
                cell.kind = cell_kind::number;
                cell.number = *value;
                if (++numbers == 2) numbers_in_a_row = true;
            } else {
                cell.kind = cell_kind::text;
                if (!budget.add_text(book.texts, content, cell.text)) return ok = false;
            }
            if (!sheet.add(cell)) return ok = false;
        }
        return true;
    });
    if (ok) ok = sheet.finish(std::filesystem::path(path).stem().string(), book);
    if (!ok) {
        error = budget.refusal();
        return false;
    }
    if (book.sheets.front().cells.empty()) {
        error = "the text table holds no cells";
        return false;
    }
    if (!numbers_in_a_row) {
        error = "it is text without a row of two or more numbers, as a table holds";
        return false;
    }
    book.format = workbook_format::text;
    return true;
}

} // namespace tessaline
