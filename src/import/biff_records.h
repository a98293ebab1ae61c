// The cells of an Excel 97-2003 workbook that FreeXL does not report: formula
// results (numbers, texts, booleans, errors) and boolean or error constants,
// read from the BIFF8 records of the workbook stream.
#pragma once

#include "import/read_budget.h"
#include "import/workbook_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

struct biff_cell {
    std::uint32_t row = 0;    // from 1
    std::uint16_t column = 0; // from 1
    cell_kind kind = cell_kind::empty;
    double number = 0;                    // number, boolean 0/1 or date serial (1900 system)
    std::uint32_t text = text_pool::none; // text or error code, in biff_extra_cells::texts
};

struct biff_extra_cells {
    struct worksheet {
        std::string name;
        std::vector<biff_cell> cells;
    };
    std::vector<worksheet> worksheets; // in workbook order
    text_pool texts;
};

// Makes libgsf ready; the reader calls it before it starts the child process,
// so that the child only reads.
void init_compound_files();

// Whether the compound file is an encrypted Office Open XML package (its
// "EncryptionInfo" and "EncryptedPackage" streams) rather than a BIFF workbook.
bool is_encrypted_package(const std::string& path);

// The bytes of the compound file's "Workbook" stream; empty when there is none
// or it is larger than the limit.
std::optional<std::string> read_workbook_stream(const std::string& path, const read_limits& limits);

// The cells the worksheets' dimensions span, summed over the sheet records:
// what FreeXL lays out a grid for, whatever the sheets hold.
std::uint64_t biff_grid_cells(std::string_view stream);

// The cells of a workbook stream. Each worksheet substream is read once, for
// the first sheet record that points at it, however many others do. False,
// with budget.refusal() set, once the cells pass the budget.
bool parse_biff_stream(std::string_view stream, read_budget& budget, biff_extra_cells& cells);

} // namespace tessaline
