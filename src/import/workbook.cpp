#include "import/workbook.h"

#include "import/format_readers.h"

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
