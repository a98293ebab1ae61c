// X, Y and Z from the first three columns of a CSV, TSV or blank-separated
// table. Rows whose three cells do not all convert are skipped, as an import
// skips them; a first row that does not convert is the header and gives the
// captions.
#pragma once

#include "files/graph_document.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaline {

struct point_table {
    data_points_ points;
    axis_values<std::string> captions{"X", "Y", "Z"};
    bool has_header = false;
    std::int64_t rows_skipped = 0; // blank lines are not rows
    char separator = ',';          // tab, ";", "," or ' ' for runs of blanks
};

struct point_table_read {
    point_table table;
    std::string error; // empty when the file was read
    bool ok() const { return error.empty(); }
};

// The separator is chosen by table_separator (files/table_text.h).
point_table parse_point_table(std::string_view text);

point_table_read read_point_table(const std::filesystem::path& path);

} // namespace tessaline
