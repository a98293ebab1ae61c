// Texts of a workbook cell: its value as text (Excel-family reading) and the
// text the sheet displays (OpenDocument reading), and its grid font.
#pragma once

#include "import/cell_records.h"
#include "import/workbook_model.h"

#include <optional>
#include <string>

namespace tessaline {

// Texts as they are, numbers in the general form with up to 15 significant
// digits, booleans "True"/"False", dates as ISO dates; empty for an empty
// cell and nothing for an error value, which has no text form.
std::optional<std::string> value_text(const workbook_cell& cell, char decimal_separator);

// The displayed text where the file records it; otherwise what a sheet shows
// by default: the value text, "TRUE"/"FALSE", or the error code.
std::string shown_text(const workbook_cell& cell, char decimal_separator);

font_attr to_font_attr(const workbook_font* font);

} // namespace tessaline
