// The file-format readers behind read_workbook. Each fills `book` and
// returns true, or returns false with the reason in `error`.
#pragma once

#include "import/sheet_builder.h"
#include "import/zip_archive.h"

#include <string>

namespace tessaline {

bool read_xlsx(const zip_archive& archive, read_budget& budget, workbook& book, std::string& error);
bool read_ods(const zip_archive& archive, read_budget& budget, workbook& book, std::string& error);
bool read_biff(const std::string& path, read_budget& budget, workbook& book, std::string& error);
// A text table as one sheet named after the file: numbers as number cells,
// so that they import as a workbook's do, and anything else as text.
bool read_text_table(const std::string& path, read_budget& budget, workbook& book,
                     std::string& error);

} // namespace tessaline
