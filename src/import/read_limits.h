// Bounds that keep a hostile workbook from taking unbounded time or memory.
#pragma once

#include <cstdint>

namespace tessaline {

struct read_limits {
    // Inflated size of any one part of a zip package.
    std::uint64_t max_part_bytes = std::uint64_t{2} << 30;
    // Inflated / compressed size beyond which a part counts as a zip bomb once it is
    // larger than ratio_grace_bytes; real sheets stay far below it.
    std::uint64_t max_ratio = 250;
    std::uint64_t ratio_grace_bytes = std::uint64_t{16} << 20;
    // Parts read whole into a document tree (workbook, styles, relations, theme).
    std::uint64_t max_tree_part_bytes = std::uint64_t{64} << 20;
    // Cells with content over all sheets; about 24 bytes each once read.
    std::uint64_t max_cells = 16'000'000;
    // Characters of cell and shared text over all sheets, each text counting
    // its 8-byte offset as well.
    std::uint64_t max_text_bytes = std::uint64_t{512} << 20;
    // Memory the workbook read may keep: cells, texts, sheets. A fixed
    // cap far below a desktop's memory; while a sheet is being read, growth and
    // sorting of its cells can take up to as much again.
    std::uint64_t max_memory_bytes = std::uint64_t{1} << 30;
    // Element nesting in any XML part.
    int max_depth = 256;
    // Size of a BIFF file, which its library reads whole.
    std::uint64_t max_biff_bytes = std::uint64_t{256} << 20;
    // Size of a text table, which is read whole before it is parted into cells.
    std::uint64_t max_table_bytes = std::uint64_t{512} << 20;
};

// The largest grid either format can hold; cells beyond it are not read.
inline constexpr std::int32_t max_sheet_rows = 1'048'576;
inline constexpr std::int32_t max_sheet_columns = 16'384;

} // namespace tessaline
