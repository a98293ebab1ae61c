// How the lines of a text table (CSV, TSV, blank-separated) part into cells:
// the separator a table uses and the cells of one line. The point table and
// the workbook view of a text table read with the same rules.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// The separator that stands for runs of spaces and tabs.
inline constexpr char blank_separator = ' ';

// A tab, ";", "," or blank_separator: the one that parts the table's first
// lines into the most numbers, in that order where two part them equally, so
// that a decimal comma between ";" or blanks is read as part of its number.
// A table of words alone is parted by the first mark its first line holds.
char table_separator(std::string_view text);

// The first `wanted` cells of a line; a cell in double quotes may hold the
// separator, and "" inside it stands for one quote. Cells are trimmed.
std::vector<std::string> table_cells(std::string_view line, char separator,
                                     std::size_t wanted = std::numeric_limits<std::size_t>::max());

// Calls `each` with every line and its number from 1, without the line end;
// a byte-order mark at the start is dropped. Returning false stops the walk.
void for_each_table_line(std::string_view text,
                         const std::function<bool(std::string_view, std::size_t)>& each);

bool is_blank_line(std::string_view line);

} // namespace tessaline
