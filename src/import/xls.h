// Workbook access for the import of any workbook not named ".ods": cell
// values as text whatever their display format, with each cell's font and
// fill for the grid.
#pragma once

#include "import/workbook_reader.h"

namespace tessaline {

class xls final : public workbook_reader {
  public:
    // Nothing for an error value.
    std::optional<std::string> cell_text(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                         std::int32_t column) override;
    cell_value read_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                         std::int32_t column) override;

  protected:
    bool cells_in_own_font() const override { return true; }
};

} // namespace tessaline
