// Helpers for the workbook tests: zip packages built on the fly, minimal
// xlsx and ods documents around given sheet XML, CSV expectations.
#pragma once

#include "import/read_limits.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tessaline::test {

using zip_entries = std::vector<std::pair<std::string, std::string>>;

// A fresh path in the test's temporary folder.
std::filesystem::path temp_path(const std::string& name);

// Writes a zip with the entries deflated at `level` (1 fast .. 9 best), or
// stored for level 0.
std::filesystem::path write_zip(const std::string& name, const zip_entries& entries, int level = 1);
std::filesystem::path write_file(const std::string& name, const std::string& content);
// A compound (OLE2) file holding the given streams, as .xls files and
// encrypted Office packages are.
std::filesystem::path write_compound_file(const std::string& name, const zip_entries& streams);

// An xlsx with one worksheet per sheet XML (the whole worksheet part), named
// Sheet1, Sheet2, ...; optional shared strings and styles parts.
zip_entries xlsx_package(const std::vector<std::string>& sheets,
                         const std::string& shared_strings = {}, const std::string& styles = {},
                         const std::string& workbook_pr = {});
// A worksheet part around the inside of <sheetData>.
std::string xlsx_sheet(const std::string& sheet_data);

// An ods whose content holds the given tables (inside <office:spreadsheet>)
// and automatic styles.
zip_entries ods_package(const std::string& tables, const std::string& automatic_styles = {},
                        const std::string& styles = {});

// BIFF8 pieces, little-endian: numbers, a record of any type, and the BOF
// record that starts the globals (kind 0x0005) or a worksheet (0x0010).
std::string le16(unsigned v);
std::string le32(unsigned v);
std::string biff_record(unsigned type, const std::string& data);
std::string biff_bof(unsigned kind);

// Rows of a CSV file (comma, "-quoted, UTF-8).
std::vector<std::vector<std::string>> read_csv(const std::filesystem::path& path);

std::filesystem::path data_path(const std::string& name);

// The workbook is refused with an error that names the file and says `reason`.
void expect_refused(const std::filesystem::path& path, const std::string& reason,
                    const read_limits& limits = {});

} // namespace tessaline::test
