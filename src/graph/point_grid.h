// The points by rank in cell order, with cell bounds, trees over crowded
// cells, the convex hull and the literal search's order among equal
// distances; read-only once built, shared by threads.
#pragma once

#include "band_edges.h"
#include "declaration.h"
#include "edge_frame.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace tessaline::faces {

// A node of a crowded cell's point tree: bounds, its ranks in node_ranks,
// and its children (consecutive in nodes) unless it is a leaf.
struct point_node {
    float bounds[4]; // min x, max x, min y, max y
    std::int32_t begin, end;
    std::int32_t first_child, child_count;
    bool same_xy; // every point at one place
};

// Columns c0..c1 and rows r0..r1 of cells; empty when c0 > c1.
struct cell_range {
    std::int32_t c0, c1, r0, r1;
};

// Where the literal cell search hands out points: its grid (laid evenly over
// the extent) and each point's cell there. Among points at equal distance it
// hands out the one of the nearer ring around the search's cell first, in a
// ring the bottom row, the top row, the left and the right column, each
// cell's points by id.
struct literal_cells {
    std::int32_t grid_size = 1;
    float cell_width = 0, cell_height = 0;
    std::vector<std::int32_t> col, row; // by rank

    // The search's first cell for a search at (x, y).
    std::pair<std::int32_t, std::int32_t> start(double x, double y, float min_x, float min_y) const;
};

class point_grid {
  public:
    // Columns and rows are bands of equal shares of the points, so that a
    // cell holds a few points wherever far values stretch the extent.
    point_grid(std::int32_t point_count, const gl_points_& points, float max_x, float min_x,
               float max_y, float min_y);

    // Cells with more points than this are searched through a point tree.
    static constexpr std::int32_t crowded_cell = 64;

    float max_x, min_x, max_y, min_y;
    double span;         // width + height of the extent
    double far_distance; // farther than any two points
    std::int32_t cols = 1, rows = 1;
    band_lookup col_band, row_band;       // cols and rows bands, band_edges.h
    std::vector<std::int32_t> cell_start; // ranks of cell col * rows + row: cell_start[c] ..
    std::vector<std::int32_t> ids;        // point id by rank; ids of a cell increase
    std::vector<vector_2d> xy;            // x and y by rank
    std::vector<float> cell_bounds;       // min x, max x, min y, max y, at each cell's first rank
    std::vector<std::int32_t> cell_tree;  // a crowded cell's root node, at the cell's first rank
    std::vector<point_node> nodes;
    std::vector<std::int32_t> node_ranks;
    std::vector<vector_2d> hull; // counter-clockwise
    literal_cells literal;

    std::int32_t cell_index(std::int32_t col, std::int32_t row) const { return col * rows + row; }
    std::int32_t cell_points(std::int32_t cell) const {
        return cell_start[cell + 1] - cell_start[cell];
    }
    const float* bounds_of_cell(std::int32_t cell) const {
        return &cell_bounds[static_cast<size_t>(cell_start[cell]) * 4];
    }
    // Column and row of a plane position; the outer ones take everything
    // beyond the extent.
    std::pair<std::int32_t, std::int32_t> cell_of(double x, double y) const;
    edge_frame frame(std::int32_t from, std::int32_t to) const {
        return frame_of(xy[from], xy[to], span);
    }
    // Whether the literal search started in cell `start` hands out rank a
    // before rank b.
    bool literal_before(std::int32_t a, std::int32_t b,
                        std::pair<std::int32_t, std::int32_t> start) const;
    // The cells that can hold a candidate of the edge: those under the piece
    // of the hull on its outer side, one cell wider on each side.
    cell_range outside_region(const edge_frame& edge) const;
    // Lower bound for the distance from (x, y) to any point outside the
    // cells, as the distances are computed; infinite when none is.
    double clearance(double x, double y, const cell_range& area) const;

    // The next ring of cells around the area, limited to the cells in reach
    // that can hold a candidate; then the area grows by the ring.
    // scan_cell(col, row) visits a cell; skip_block(bounds) may pass over a
    // block of row_block cells along a row or column whole, given the
    // bounds of its points: an edge whose midpoint lies far from the points
    // looks at the blocks of a ring, not at its every cell. Empty blocks are
    // passed over anyway.
    template <class ScanCell, class SkipBlock>
    void scan_next_ring(cell_range& area, const cell_range& reach, ScanCell& scan_cell,
                        SkipBlock& skip_block) const;

  private:
    static constexpr std::int32_t row_block = 32;
    // Band refinement stops after this many layouts or at this many bands.
    static constexpr std::int32_t refine_rounds = 4;
    static constexpr std::int32_t max_bands = 4096;
    static constexpr size_t hull_run = 32;
    void build_literal_cells(const gl_points_& points, std::vector<std::int32_t>& col,
                             std::vector<std::int32_t>& row);
    void build_cells(const gl_points_& points);
    void build_cell_trees();
    std::int32_t build_point_node(std::int32_t begin, std::int32_t end, int depth);
    void build_hull(std::int32_t point_count);

    void build_block_bounds();

    // Bounds of the points per row and block of row_block columns, and per
    // column and block of row_block rows; empty where min x > max x.
    std::int32_t row_block_count = 1, col_block_count = 1;
    std::vector<std::array<float, 4>> row_block_bounds, col_block_bounds;
    std::vector<std::array<float, 4>> hull_runs; // bounds of each run of hull corners
};

template <class ScanCell, class SkipBlock>
void point_grid::scan_next_ring(cell_range& area, const cell_range& reach, ScanCell& scan_cell,
                                SkipBlock& skip_block) const {
    const std::int32_t nc = cols, nr = rows;
    std::int32_t &c0 = area.c0, &c1 = area.c1, &r0 = area.r0, &r1 = area.r1;
    const std::int32_t rc0 = reach.c0, rc1 = reach.c1, rr0 = reach.r0, rr1 = reach.r1;
    const std::int32_t col_lo = std::max({c0 - 1, 0, rc0}),
                       col_hi = std::min({c1 + 1, nc - 1, rc1});
    auto scan_row = [&](std::int32_t row) {
        for (std::int32_t col = col_lo; col <= col_hi;) {
            const std::int32_t block = col / row_block;
            const std::int32_t block_end = std::min(col_hi, (block + 1) * row_block - 1);
            const float* b =
                row_block_bounds[static_cast<size_t>(row) * row_block_count + block].data();
            if (!(b[0] <= b[1]) || skip_block(b)) {
                col = block_end + 1;
                continue;
            }
            for (; col <= block_end; ++col)
                scan_cell(col, row);
        }
    };
    auto scan_column = [&](std::int32_t col, std::int32_t row_lo, std::int32_t row_hi) {
        if (row_lo > row_hi || cell_start[col * nr + row_hi + 1] == cell_start[col * nr + row_lo])
            return;
        for (std::int32_t row = row_lo; row <= row_hi;) {
            const std::int32_t block = row / row_block;
            const std::int32_t block_end = std::min(row_hi, (block + 1) * row_block - 1);
            const float* b =
                col_block_bounds[static_cast<size_t>(col) * col_block_count + block].data();
            if (!(b[0] <= b[1]) || skip_block(b)) {
                row = block_end + 1;
                continue;
            }
            for (; row <= block_end; ++row)
                scan_cell(col, row);
        }
    };
    if (r0 - 1 >= std::max(0, rr0)) scan_row(r0 - 1);
    if (r1 + 1 <= std::min(nr - 1, rr1)) scan_row(r1 + 1);
    const std::int32_t row_lo = std::max(r0, rr0), row_hi = std::min(r1, rr1);
    if (c0 - 1 >= std::max(0, rc0)) scan_column(c0 - 1, row_lo, row_hi);
    if (c1 + 1 <= std::min(nc - 1, rc1)) scan_column(c1 + 1, row_lo, row_hi);
    c0 = std::max(c0 - 1, 0);
    r0 = std::max(r0 - 1, 0);
    c1 = std::min(c1 + 1, nc - 1);
    r1 = std::min(r1 + 1, nr - 1);
}

} // namespace tessaline::faces
