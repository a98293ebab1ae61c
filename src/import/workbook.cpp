#include "import/workbook.h"

#include "import/format_readers.h"

#include "base/work_stopped.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

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

// A name that claims a workbook: such a file is not read as a text table.
bool has_workbook_suffix(const std::string& path) {
    std::string suffix = std::filesystem::path(path).extension().string();
    for (char& c : suffix)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return suffix == ".xlsx" || suffix == ".xlsm" || suffix == ".xls" || suffix == ".ods" ||
           suffix == ".ots";
}

std::string file_name_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool read_by_content(const std::string& path, read_budget& budget, workbook& book,
                     std::string& reason) {
    std::error_code status_error;
    auto status = std::filesystem::status(path, status_error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        // A device or a pipe may never end, and its size tells nothing.
        reason = "it is not a regular file";
        return false;
    }
    switch (sniff(path)) {
    case file_kind::compound:
        return read_biff(path, budget, book, reason);
    case file_kind::zip:
        if (auto archive = zip_archive::open(path, budget.limits, reason)) {
            if (is_ods_package(*archive)) return read_ods(*archive, budget, book, reason);
            if (archive->contains("xl/workbook.xml") || archive->contains("_rels/.rels"))
                return read_xlsx(*archive, budget, book, reason);
            reason = "the zip file is neither an Excel nor an OpenDocument workbook";
        }
        return false;
    case file_kind::unknown:
        if (!has_workbook_suffix(path) && std::filesystem::exists(status))
            return read_text_table(path, budget, book, reason);
        break;
    }
    reason = "the file is not an Excel or OpenDocument workbook";
    return false;
}

} // namespace

workbook_result read_workbook(const std::string& path, const read_limits& limits,
                              std::stop_token stop) {
    workbook_result result;
    std::string reason;
    try {
        workbook book;
        read_budget budget(limits, std::move(stop));
        const bool read = read_by_content(path, budget, book, reason);
        if (budget.stopped()) throw work_stopped{};
        if (read) {
            result.book = std::move(book);
            return result;
        }
    } catch (const std::bad_alloc&) {
        // The budget keeps real workbooks far below it; this is a machine short of memory.
        reason = out_of_memory;
    }
    result.error = "cannot open \"" + file_name_of(path) + "\": " + reason;
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
