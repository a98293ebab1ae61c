// Records shared by the two workbook-access classes: a cell as the import
// grid shows it, the per-sheet row cache, and the sheets of an open workbook.
#pragma once

#include "import/workbook_model.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaline {

inline constexpr std::uint8_t font_bold = 1;
inline constexpr std::uint8_t font_italic = 2;
inline constexpr std::uint8_t font_underline = 4;

// A cell's font; an empty name or a size of 0 means the grid's own.
struct font_attr {
    std::int32_t color = 0; // 0x00BBGGRR
    std::string name;
    std::int32_t size = 0;  // points
    std::uint8_t style = 0; // font_bold | font_italic | font_underline
    bool operator==(const font_attr&) const = default;
};

inline constexpr std::int32_t white = 0xFFFFFF;

// One cell as the grid shows it; default-constructed it is the default cell.
struct cell_value {
    std::string value;
    font_attr attr;
    std::int32_t background = white; // 0x00BBGGRR
    bool operator==(const cell_value&) const = default;
};

// One cached row: its cells from column 1 once `loaded`.
struct sb_record {
    std::vector<cell_value> row_cells;
    bool loaded = false;
};

// The row cache of one sheet: rows first_row .. last_row, both -1 when empty.
struct sb_sheet {
    std::vector<sb_record> cached_rows;
    std::int32_t first_row = -1;
    std::int32_t last_row = -1;
};

struct sheet {
    std::string name;
    std::int32_t used_rows = 1; // last used row, from 1
    std::int32_t used_cols = 1; // last used column, from 1
    sb_sheet cache;
};

using sheets = std::vector<sheet>;

// One open workbook.
struct workbook_file {
    std::string path;
    std::string file_name; // the path without its folder
    tessaline::sheets sheets;
    std::shared_ptr<const workbook> book; // empty once closed
};
using xls_file = workbook_file;
using clc_file = workbook_file;

// What the import window marks on a grid cell besides its content.
enum cell_marks : std::uint8_t {
    no_marks = 0,
    sheet_dot = 1,
    row_hover = 2,
    column_hover = 4,
    used_edge = 8,
};

} // namespace tessaline
