#include "import/workbook.h"

#include "import/format_readers.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace tessaline {

namespace {

enum class file_kind { unknown, compound, zip };

file_kind sniff(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    in.read(head, sizeof head);
    static constexpr unsigned char ole2[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (in.gcount() == 8 && std::memcmp(head, ole2, 8) == 0) return file_kind::compound;
    if (in.gcount() >= 4 && std::memcmp(head, "PK\x03\x04", 4) == 0) return file_kind::zip;
    return file_kind::unknown;
}

bool is_ods_package(const zip_archive& archive) {
    std::string ignored;
    auto mimetype = archive.read("mimetype", 256, ignored);
    return mimetype && (*mimetype == "application/vnd.oasis.opendocument.spreadsheet" ||
                        *mimetype == "application/vnd.oasis.opendocument.spreadsheet-template");
}

std::string file_name_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

workbook_cell workbook::cell(int sheet, std::int64_t row, std::int64_t column) const {
    workbook_cell result;
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= sheets.size()) return result;
    const workbook_sheet& s = sheets[static_cast<std::size_t>(sheet)];
    if (row < 1 || column < 1 || static_cast<std::uint64_t>(row) >= s.row_start.size() ||
        column > max_sheet_columns)
        return result;
    auto first = s.cells.begin() + s.row_start[static_cast<std::size_t>(row - 1)];
    auto last = s.cells.begin() + s.row_start[static_cast<std::size_t>(row)];
    auto found = std::lower_bound(
        first, last, column, [](const stored_cell& c, std::int64_t col) { return c.column < col; });
    if (found == last || found->column != column) return result;

    result.kind = found->kind;
    result.number = found->number;
    std::string_view text =
        found->text == text_pool::none ? std::string_view() : texts.get(found->text);
    if (found->kind == cell_kind::text || found->kind == cell_kind::error) result.text = text;
    if (format == workbook_format::ods && found->text != text_pool::none) result.shown = text;
    const cell_format& f = formats[found->format < formats.size() ? found->format : 0];
    if (f.font >= 0 && static_cast<std::size_t>(f.font) < fonts.size())
        result.font = &fonts[static_cast<std::size_t>(f.font)];
    result.fill = f.fill;
    return result;
}

workbook_result read_workbook(const std::string& path, const read_limits& limits) {
    workbook_result result;
    std::string reason;
    workbook book;
    read_budget budget{limits, 0};
    bool read = false;
    switch (sniff(path)) {
    case file_kind::compound:
        read = read_biff(path, budget, book, reason);
        break;
    case file_kind::zip:
        if (auto archive = zip_archive::open(path, limits, reason)) {
            if (is_ods_package(*archive))
                read = read_ods(*archive, budget, book, reason);
            else if (archive->contains("xl/workbook.xml") || archive->contains("_rels/.rels"))
                read = read_xlsx(*archive, budget, book, reason);
            else
                reason = "the zip file is neither an Excel nor an OpenDocument workbook";
        }
        break;
    case file_kind::unknown:
        reason = "the file is not an Excel or OpenDocument workbook";
        break;
    }
    if (!read) {
        result.error = "cannot open \"" + file_name_of(path) + "\": " + reason;
        return result;
    }
    result.book = std::move(book);
    return result;
}

sheet_list list_sheets(const std::string& path, const read_limits& limits) {
    sheet_list list;
    workbook_result read = read_workbook(path, limits);
    if (!read.book) {
        list.error = std::move(read.error);
        return list;
    }
    for (const workbook_sheet& s : read.book->sheets)
        list.sheets.push_back({s.name, s.used_rows, s.used_cols});
    return list;
}

} // namespace tessaline
