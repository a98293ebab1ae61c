// Workbook access for the import of workbooks named ".ods": each cell's
// displayed text (its number format applied), with its background for the
// grid.
#pragma once

#include "import/workbook_reader.h"

namespace tessaline {

class clc final : public workbook_reader {
  public:
    // The displayed text.
    std::optional<std::string> cell_text(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                         std::int32_t column) override;
    cell_value read_cell(std::int32_t book, std::int32_t sheet, std::int32_t row,
                         std::int32_t column) override;
    // The number a cell holds, whatever it displays; nothing for other cells.
    std::optional<double> cell_number(std::int32_t book, std::int32_t sheet, std::int32_t row,
                                      std::int32_t column);

  protected:
    bool cells_in_own_font() const override { return false; }
};

} // namespace tessaline
