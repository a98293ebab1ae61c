// Opening a workbook file: the reader is chosen by the file's content, not
// its name, and every failure comes back as a "cannot open ..." message.
#pragma once

#include "import/read_limits.h"
#include "import/workbook_model.h"

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace tessaline {

struct workbook_result {
    std::optional<workbook> book;
    std::string error; // "cannot open ..." when book is empty
};

// Reads a workbook, choosing the reader by the file's content, not its name.
// Throws work_stopped when `stop` is requested before the read is done.
workbook_result read_workbook(const std::string& path, const read_limits& limits = {},
                              std::stop_token stop = {});

// A sheet's name and used size, for listing a workbook without the grid.
struct sheet_summary {
    std::string name;
    std::int32_t used_rows = 1;
    std::int32_t used_cols = 1;
};

struct sheet_list {
    std::vector<sheet_summary> sheets; // in workbook order
    std::string error;                 // "cannot open ..." when the file cannot be read
};

sheet_list list_sheets(const std::string& path, const read_limits& limits = {});

} // namespace tessaline
