// Collects one sheet's cells as a reader meets them and files them by row and
// column; keeps the count of cells over the whole workbook within its limit.
#pragma once

#include "import/workbook_model.h"

namespace tessaline {

struct read_budget {
    read_limits limits;
    std::uint64_t cells = 0;
};

class sheet_builder {
  public:
    explicit sheet_builder(read_budget& budget) : budget_(budget) {}

    // False once the workbook holds more cells than the limit allows.
    bool add(const stored_cell& cell);
    // Adds `count` copies of a cell along a row (repeated columns).
    bool add_repeated(stored_cell cell, std::uint32_t count);
    workbook_sheet finish(std::string name);

  private:
    read_budget& budget_;
    std::vector<stored_cell> cells_;
    bool in_order_ = true;
};

} // namespace tessaline
