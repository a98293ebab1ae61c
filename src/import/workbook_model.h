// A workbook read into memory, whatever its file format: its sheets in
// workbook order and, per cell, kind, value, text and format. The readers of
// .xlsx, .ods and .xls fill it; the workbook-access classes read from it.
#pragma once

#include "import/read_limits.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// `text`: a CSV, TSV or blank-separated table, shown as a workbook of one sheet.
enum class workbook_format : std::uint8_t { xlsx, ods, biff, text };

enum class cell_kind : std::uint8_t { empty, number, text, boolean, date, error };

// A font as the file records it; colours are 0x00BBGGRR.
struct workbook_font {
    std::string name;
    double size = 0; // points
    bool bold = false, italic = false, underline = false;
    std::int32_t color = 0;
    bool operator==(const workbook_font&) const = default;
};

// The look of a cell: an index into workbook::fonts (-1 when the file records
// none) and a fill colour (0x00BBGGRR, -1 when the cell is not filled).
struct cell_format {
    std::int32_t font = -1;
    std::int32_t fill = -1;
    bool operator==(const cell_format&) const = default;
};

// Texts of all sheets in one buffer: a million short cell texts cost their
// characters plus an offset, not a string object each.
class text_pool {
  public:
    static constexpr std::uint32_t none = 0xFFFFFFFF;
    // What an entry costs besides its characters.
    static constexpr std::uint64_t bytes_per_entry = sizeof(std::uint64_t);
    std::uint32_t add(std::string_view text) {
        starts_.push_back(chars_.size());
        chars_.append(text);
        return static_cast<std::uint32_t>(starts_.size() - 1);
    }
    std::string_view get(std::uint32_t index) const {
        if (index >= starts_.size()) return {};
        std::uint64_t end = index + 1 < starts_.size() ? starts_[index + 1] : chars_.size();
        return std::string_view(chars_).substr(starts_[index], end - starts_[index]);
    }
    std::size_t size() const { return starts_.size(); }
    std::uint64_t bytes() const { return chars_.size(); }

  private:
    std::string chars_;
    std::vector<std::uint64_t> starts_;
};

// One cell with content. Rows and columns count from 1.
struct stored_cell {
    std::uint32_t row = 0;
    std::uint16_t column = 0;
    cell_kind kind = cell_kind::empty;
    std::uint32_t format = 0;             // index into workbook::formats
    std::uint32_t text = text_pool::none; // text value, error code, or displayed text
    double number = 0;                    // number, boolean 0/1, date serial
};

struct workbook_sheet {
    std::string name;
    // Last row and column holding content; an empty sheet is 1 x 1.
    std::int32_t used_rows = 1;
    std::int32_t used_cols = 1;
    std::vector<stored_cell> cells; // by row, then column
};

// What a reader sees of one cell.
struct workbook_cell {
    cell_kind kind = cell_kind::empty;
    double number = 0;
    // Text of a text cell, code of an error cell, empty otherwise.
    std::string_view text;
    // The text the sheet displays, where the file records it.
    std::optional<std::string_view> shown;
    const workbook_font* font = nullptr;
    std::int32_t fill = -1;
};

struct workbook {
    workbook_format format = workbook_format::xlsx;
    std::vector<workbook_sheet> sheets;
    text_pool texts;
    std::vector<workbook_font> fonts;
    std::vector<cell_format> formats{cell_format{}}; // entry 0: no font, no fill

    // Row and column from 1; anything outside the sheet is an empty cell.
    workbook_cell cell(int sheet, std::int64_t row, std::int64_t column) const;
};

} // namespace tessaline
