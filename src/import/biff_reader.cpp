// Excel 97-2003 (BIFF) workbooks: cell values through FreeXL, which reads no
// fonts or fills and leaves out formulas, booleans and errors; those come
// from the workbook's records directly.
#include "import/biff_records.h"
#include "import/date_text.h"
#include "import/format_readers.h"

#include <freexl.h>

#include <filesystem>
#include <memory>

namespace tessaline {

namespace {

struct freexl_closer {
    void operator()(const void* handle) const { freexl_close(handle); }
};

} // namespace

bool read_biff(const std::string& path, read_budget& budget, workbook& book, std::string& error) {
    book.format = workbook_format::biff;
    std::error_code size_error;
    auto size = std::filesystem::file_size(path, size_error);
    if (size_error || size > budget.limits.max_biff_bytes) {
        error = size_error ? size_error.message() : "the file is too large";
        return false;
    }
    const void* raw = nullptr;
    int status = freexl_open(path.c_str(), &raw);
    std::unique_ptr<const void, freexl_closer> handle(raw);
    if (status != FREEXL_OK) {
        error =
            "not a readable Excel 97-2003 workbook (FreeXL error " + std::to_string(status) + ")";
        return false;
    }
    unsigned int password = 0, count = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED) {
        error = "the workbook is protected by a password";
        return false;
    }
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0) {
        error = "the workbook has no worksheets";
        return false;
    }
    std::vector<biff_sheet_cells> extra = read_biff_extra_cells(path, budget.limits);
    for (unsigned short s = 0; s < count; ++s) {
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(raw, s, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(raw, s) != FREEXL_OK ||
            freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK) {
            error = "worksheet " + std::to_string(s + 1) + " cannot be read";
            return false;
        }
        sheet_builder builder(budget);
        for (unsigned int r = 0; r < rows && r < max_sheet_rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(raw, r, c, &value) != FREEXL_OK) continue;
                stored_cell cell;
                cell.row = r + 1;
                cell.column = static_cast<std::uint16_t>(c + 1);
                switch (value.type) {
                case FREEXL_CELL_INT:
                    cell.kind = cell_kind::number;
                    cell.number = value.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell.kind = cell_kind::number;
                    cell.number = value.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    cell.kind = cell_kind::text;
                    cell.text =
                        book.texts.add(value.value.text_value ? value.value.text_value : "");
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    if (auto serial = value.value.text_value ? date_serial(value.value.text_value)
                                                             : std::nullopt) {
                        cell.kind = cell_kind::date;
                        cell.number = *serial;
                    } else {
                        cell.kind = cell_kind::text;
                        cell.text =
                            book.texts.add(value.value.text_value ? value.value.text_value : "");
                    }
                    break;
                default:
                    continue;
                }
                if (book.texts.bytes() > budget.limits.max_text_bytes) {
                    error = "too much text";
                    return false;
                }
                if (!builder.add(cell)) {
                    error =
                        "more cells than the limit of " + std::to_string(budget.limits.max_cells);
                    return false;
                }
            }
        std::string sheet_name = name ? name : "";
        for (const biff_sheet_cells& e : extra) {
            if (e.name != sheet_name) continue;
            for (const biff_cell& b : e.cells) {
                stored_cell cell;
                cell.row = b.row;
                cell.column = b.column;
                cell.kind = b.kind;
                cell.number = b.number;
                if (b.kind == cell_kind::text || b.kind == cell_kind::error)
                    cell.text = book.texts.add(b.text);
                if (!builder.add(cell)) {
                    error =
                        "more cells than the limit of " + std::to_string(budget.limits.max_cells);
                    return false;
                }
            }
            break;
        }
        book.sheets.push_back(builder.finish(sheet_name));
    }
    return true;
}

} // namespace tessaline
