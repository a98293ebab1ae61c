// A square grid of cells over the points' x-y extent; each cell lists the ids
// of its points. It hands out point ids ring by ring around a search point
// and tells how far such a search has surely reached.
#pragma once

#include "declaration.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace tessaline {

struct cell_with_points_id {
    std::vector<std::int32_t> ids; // grows in steps of 20; entries from count on mean nothing
    std::int32_t count = 0;
};

using cells_column_of_points = std::vector<cell_with_points_id>;
using cells_of_points = std::vector<cells_column_of_points>;

struct cells_area_cell {
    std::int32_t col = 0, row = 0;
    bool done = false;
};
using cells_area = std::vector<cells_area_cell>;

// Grid side for a point count: about 20 points per cell.
std::int32_t initial_grid_size(std::size_t point_count);

// Cell (col, row) of a plane position on an n x n grid; the boundary between
// two cells belongs to the lower one, the largest value to cell n - 1.
std::pair<std::int32_t, std::int32_t> grid_cell_of(double x, double y, float min_x, float min_y,
                                                   float cell_width, float cell_height,
                                                   std::int32_t n);

// Lower bound for the distance from (x, y) to any point outside the area of
// cells [c0, c1] x [r0, r1] of a grid over the given extent.
double grid_area_clearance(double x, double y, std::int32_t c0, std::int32_t c1, std::int32_t r0,
                           std::int32_t r1, std::int32_t n, float max_x, float min_x, float max_y,
                           float min_y, float cell_width, float cell_height);

// The grid side stops doubling after this many fills, or when no cell holds
// more than this many points.
inline constexpr std::int32_t max_fill_rounds = 5;
inline constexpr std::int32_t max_points_per_cell = 180;

class cells {
  public:
    cells(const gl_points_& points, float max_x, float min_x, float max_y, float min_y);

    std::pair<std::int32_t, std::int32_t> cell_of(double x, double y) const;
    void start_search(double x, double y);
    std::int32_t next_point();
    double search_clearance() const;
    bool grow_area();

    const gl_points_& points;
    float max_x, min_x, max_y, min_y;
    std::int32_t grid_size = 1;
    float cell_width = 0, cell_height = 0;
    std::int32_t fill_rounds = 0;
    cells_of_points grid;
    double search_x = 0, search_y = 0;
    std::int32_t start_col = 0, start_row = 0;
    cells_area area;
    std::int32_t area_index = 0;
    std::int32_t cell_index = 0;

  private:
    void fill();
    void add_to_cell(std::int32_t col, std::int32_t row, std::int32_t id);
    void refine();
    // Smallest and largest column and row of the area: c0, c1, r0, r1.
    std::array<std::int32_t, 4> area_bounds() const;
    double area_clearance(double x, double y) const;
    void add_area_cell(std::int32_t col, std::int32_t row);
};

} // namespace tessaline
