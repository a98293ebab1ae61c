// The rounds of an edge's search, one walk for the builder's search and the
// helper's plans, so that both see the same cells in the same order.
#pragma once

#include "edge_frame.h"
#include "point_grid.h"

#include <cstdint>

namespace tessaline::faces {

enum class walk_end {
    settled,      // no point outside the searched cells can be nearer than the round's reach
    exhausted,    // every cell that can add a candidate was searched
    out_of_rounds // max_rounds were searched
};

// The cell of the edge's midpoint first, then ring after ring around it,
// narrowed from the third round on to the cells that can hold a candidate.
// scan_cell(col, row) and skip_run(col0, col1, row0, row1) as for
// point_grid::scan_next_ring; end_round(round, clearance) closes a round and
// returns its reach: the distance of the point it settled on (or expects to),
// which ends the search once every unsearched point is farther. A point as
// far as the reach may still come first among equals in the literal order,
// so the walk goes on then.
template <class ScanCell, class SkipRun, class EndRound>
walk_end walk_rings(const point_grid& grid, const edge_frame& edge, int max_rounds,
                    ScanCell& scan_cell, SkipRun& skip_run, EndRound& end_round) {
    const std::int32_t last_col = grid.cols - 1, last_row = grid.rows - 1;
    const auto [start_col, start_row] = grid.cell_of(edge.mx, edge.my);
    cell_range area{start_col, start_col, start_row, start_row};
    // Cells that can hold a candidate at all; the whole grid until narrowed.
    cell_range reach{0, last_col, 0, last_row};
    scan_cell(start_col, start_row);
    double clearance = grid.clearance(edge.mx, edge.my, area);
    if (end_round(0, clearance) < clearance) return walk_end::settled;
    for (int round = 1; round < max_rounds; ++round) {
        if (area.c0 == 0 && area.r0 == 0 && area.c1 == last_col && area.r1 == last_row)
            return walk_end::exhausted;
        if (round == 3) reach = grid.outside_region(edge);
        if (round >= 3 && (reach.c0 > reach.c1 || (area.c0 <= reach.c0 && area.c1 >= reach.c1 &&
                                                   area.r0 <= reach.r0 && area.r1 >= reach.r1)))
            return walk_end::exhausted;
        grid.scan_next_ring(area, reach, scan_cell, skip_run);
        clearance = grid.clearance(edge.mx, edge.my, area);
        if (end_round(round, clearance) < clearance) return walk_end::settled;
    }
    return walk_end::out_of_rounds;
}

} // namespace tessaline::faces
