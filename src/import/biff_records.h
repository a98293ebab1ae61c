// The cells of an Excel 97-2003 workbook that FreeXL does not report: formula
// results (numbers, texts, booleans, errors) and boolean or error constants,
// read from the BIFF8 records of the workbook stream.
#pragma once

#include "import/read_limits.h"
#include "import/workbook_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline {

struct biff_cell {
    std::uint32_t row = 0;    // from 1
    std::uint16_t column = 0; // from 1
    cell_kind kind = cell_kind::empty;
    double number = 0; // number, boolean 0/1 or date serial (1900 system)
    std::string text;  // text or error code
};

struct biff_sheet_cells {
    std::string name;
    std::vector<biff_cell> cells;
};

// Worksheets in workbook order; empty when the file has no BIFF8 workbook
// stream that can be read.
std::vector<biff_sheet_cells> read_biff_extra_cells(const std::string& path,
                                                    const read_limits& limits);

// The same from the bytes of a workbook stream.
std::vector<biff_sheet_cells> parse_biff_stream(std::string_view stream);

} // namespace tessaline
