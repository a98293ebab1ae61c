// Collects one sheet's cells as a reader meets them and files them by row and
// column, counting them against the read budget.
#pragma once

#include "import/read_budget.h"
#include "import/workbook_model.h"

namespace tessaline {

class sheet_builder {
  public:
    explicit sheet_builder(read_budget& budget) : budget_(budget) {}

    // Each is false once the budget is spent (its refusal() says why).
    bool add(const stored_cell& cell);
    // Adds `count` copies of a cell along a row (repeated columns).
    bool add_repeated(stored_cell cell, std::uint32_t count);
    // Appends the sheet to the book.
    bool finish(std::string name, workbook& book);

  private:
    read_budget& budget_;
    std::vector<stored_cell> cells_;
    bool in_order_ = true;
};

} // namespace tessaline
