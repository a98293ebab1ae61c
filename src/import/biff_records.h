// What FreeXL does not report of an Excel 97-2003 workbook, read from the
// BIFF8 records of the workbook stream: formula results (numbers, texts,
// booleans, errors), boolean or error constants, and the look of every cell
// (its XF record with the font and fill colour it names).
#pragma once

#include "import/read_budget.h"
#include "import/workbook_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// An XF index that names no XF record: the cell is drawn in the grid's look.
inline constexpr std::uint16_t no_xf = 0xFFFF;

struct biff_cell {
    std::uint32_t row = 0;    // from 1
    std::uint16_t column = 0; // from 1
    cell_kind kind = cell_kind::empty;
    std::uint16_t xf = no_xf;
    double number = 0;                    // number, boolean 0/1 or date serial (1900 system)
    std::uint32_t text = text_pool::none; // text or error code, in biff_extra_cells::texts
};

// The XF of a cell whose value FreeXL reports.
struct biff_cell_xf {
    std::uint32_t row = 0;    // from 1
    std::uint16_t column = 0; // from 1
    std::uint16_t xf = no_xf;
};

struct biff_extra_cells {
    struct worksheet {
        std::string name;
        std::vector<biff_cell> cells;
        std::vector<biff_cell_xf> xfs; // by row, then column

        // no_xf for a cell no value record names.
        std::uint16_t xf_at(std::uint32_t row, std::uint16_t column) const;
    };
    std::vector<worksheet> worksheets; // in workbook order
    text_pool texts;
    // The fonts in the order of their records, and per XF record its font (an
    // index into `fonts`, -1 for none) and fill (-1 for none). Colours are
    // taken from the workbook's own palette.
    std::vector<workbook_font> fonts;
    std::vector<cell_format> xfs;
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
