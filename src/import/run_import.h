// The import of chosen columns into points: every row from the first data
// row to the sheet's last used row, rows whose three cells are not numbers
// skipped, captions from the title row.
#pragma once

#include "graph/declaration.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tessaline {

class xls;
class clc;

// What the user picks: 0-based sheet, rows and columns; -1 for none.
struct import_choice {
    std::int32_t sheet = -1;
    std::int32_t data_begin_row = -1;
    std::int32_t title_row = -1;
    std::int32_t x_column = -1, y_column = -1, z_column = -1;
};

struct import_result {
    data_points_ points;
    std::int64_t rows_skipped = 0;
    // With a title row: the three captions, "X", "Y" or "Z" where a title is empty.
    std::optional<std::array<std::string, 3>> captions;
};

// A number in the user's regional form: spaces around, a sign, digits with at
// most one decimal separator, an optional exponent. Nothing else converts.
std::optional<double> import_number(std::string_view text, char decimal_separator);

// Each throws work_stopped soon after `stop` is requested.
import_result run_import(xls& reader, std::int32_t book, const import_choice& choice,
                         std::stop_token stop = {});
// Calc cells convert from the text they display; a number shown with a
// percent sign, grouping or a currency still counts as the number it holds.
import_result run_import(clc& reader, std::int32_t book, const import_choice& choice,
                         std::stop_token stop = {});

} // namespace tessaline
