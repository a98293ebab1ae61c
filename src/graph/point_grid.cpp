#include "point_grid.h"

#include "band_edges.h"
#include "cells.h"
#include "face_geometry.h"
#include "face_tolerances.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace tessaline::faces {

point_grid::point_grid(std::int32_t point_count, const gl_points_& points, float max_x_,
                       float min_x_, float max_y_, float min_y_)
    : max_x(max_x_), min_x(min_x_), max_y(max_y_), min_y(min_y_) {
    const double w = static_cast<double>(max_x) - min_x, h = static_cast<double>(max_y) - min_y;
    span = w + h;
    far_distance = std::sqrt(w * w + h * h) + face_tolerance::beyond_diagonal;
    build_cells(points);
    build_cell_trees();
    build_hull(point_count);
}

void point_grid::build_literal_cells(const gl_points_& points, std::vector<std::int32_t>& col,
                                     std::vector<std::int32_t>& row) {
    // The literal search's grid side doubles while a cell holds too many
    // points; a count that saturates says as much as a full one.
    literal_cells& lit = literal;
    lit.grid_size = initial_grid_size(points.size());
    col.resize(points.size());
    row.resize(points.size());
    std::vector<std::uint8_t> count;
    for (std::int32_t round = 1;; ++round) {
        const std::int32_t n = lit.grid_size;
        lit.cell_width = static_cast<float>((static_cast<double>(max_x) - min_x) / n);
        lit.cell_height = static_cast<float>((static_cast<double>(max_y) - min_y) / n);
        count.assign(static_cast<size_t>(n) * n, 0);
        bool crowded = false;
        for (size_t id = 0; id < points.size(); ++id) {
            std::tie(col[id], row[id]) = grid_cell_of(points[id].x, points[id].y, min_x, min_y,
                                                      lit.cell_width, lit.cell_height, n);
            std::uint8_t& c = count[static_cast<size_t>(col[id]) * n + row[id]];
            if (c <= max_points_per_cell) crowded |= ++c > max_points_per_cell;
        }
        if (crowded && round < max_fill_rounds)
            lit.grid_size *= 2;
        else
            break;
    }
}

void point_grid::build_cells(const gl_points_& points) {
    std::vector<std::int32_t> literal_col, literal_row;
    build_literal_cells(points, literal_col, literal_row);

    // Bands of about 20 points a side's worth, refined like the literal grid
    // while a cell holds too many (a curve or a line of points crowds cells
    // whatever the bands).
    const size_t most = 1 << 17;
    const auto xs = sorted_sample(points.size(), most, [&](size_t k) { return points[k].x; });
    const auto ys = sorted_sample(points.size(), most, [&](size_t k) { return points[k].y; });
    std::vector<std::int32_t> cell(points.size());
    std::int32_t bands = initial_grid_size(points.size());
    for (std::int32_t round = 1;; ++round) {
        col_band = band_lookup(band_edges(xs, min_x, max_x, bands));
        row_band = band_lookup(band_edges(ys, min_y, max_y, bands));
        cols = col_band.count();
        rows = row_band.count();
        cell_start.assign(static_cast<size_t>(cols) * rows + 1, 0);
        for (size_t id = 0; id < points.size(); ++id) {
            const auto [col, row] = cell_of(points[id].x, points[id].y);
            cell[id] = cell_index(col, row);
            ++cell_start[cell[id] + 1];
        }
        const std::int32_t largest = *std::max_element(cell_start.begin(), cell_start.end());
        if (largest > max_points_per_cell && round < refine_rounds && bands < max_bands)
            bands *= 2;
        else
            break;
    }
    for (size_t c = 1; c < cell_start.size(); ++c)
        cell_start[c] += cell_start[c - 1];
    ids.resize(points.size());
    std::vector<std::int32_t> next(cell_start.begin(), cell_start.end() - 1);
    for (size_t id = 0; id < points.size(); ++id)
        ids[next[cell[id]]++] = static_cast<std::int32_t>(id);
    // From here on a point is known by its rank in cell order, so that a
    // cell's points and the corners of nearby faces lie close in memory.
    xy.resize(points.size());
    literal.col.resize(points.size());
    literal.row.resize(points.size());
    for (size_t rank = 0; rank < points.size(); ++rank) {
        const std::int32_t id = ids[rank];
        xy[rank] = {points[id].x, points[id].y};
        literal.col[rank] = literal_col[id];
        literal.row[rank] = literal_row[id];
    }

    // Bounds of a cell's points, kept at the cell's first rank: a grid may
    // have more cells than points.
    cell_bounds.assign(points.size() * 4, 0);
    for (size_t c = 0; c + 1 < cell_start.size(); ++c) {
        if (cell_start[c] == cell_start[c + 1]) continue;
        float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
        for (std::int32_t k = cell_start[c]; k < cell_start[c + 1]; ++k) {
            const vector_2d& p = xy[k];
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
        float* b = &cell_bounds[static_cast<size_t>(cell_start[c]) * 4];
        b[0] = x0;
        b[1] = x1;
        b[2] = y0;
        b[3] = y1;
    }
    build_block_bounds();
}

void point_grid::build_block_bounds() {
    row_block_count = (cols + row_block - 1) / row_block;
    col_block_count = (rows + row_block - 1) / row_block;
    const std::array<float, 4> empty{INFINITY, -INFINITY, INFINITY, -INFINITY};
    row_block_bounds.assign(static_cast<size_t>(rows) * row_block_count, empty);
    col_block_bounds.assign(static_cast<size_t>(cols) * col_block_count, empty);
    auto widen = [](std::array<float, 4>& to, const float* b) {
        to = {std::min(to[0], b[0]), std::max(to[1], b[1]), std::min(to[2], b[2]),
              std::max(to[3], b[3])};
    };
    for (std::int32_t col = 0; col < cols; ++col)
        for (std::int32_t row = 0; row < rows; ++row) {
            const std::int32_t cell = cell_index(col, row);
            if (cell_points(cell) == 0) continue;
            const float* b = bounds_of_cell(cell);
            widen(row_block_bounds[static_cast<size_t>(row) * row_block_count + col / row_block],
                  b);
            widen(col_block_bounds[static_cast<size_t>(col) * col_block_count + row / row_block],
                  b);
        }
}

std::pair<std::int32_t, std::int32_t> point_grid::cell_of(double x, double y) const {
    return {col_band(x), row_band(y)};
}

std::pair<std::int32_t, std::int32_t> literal_cells::start(double x, double y, float min_x,
                                                           float min_y) const {
    return grid_cell_of(x, y, min_x, min_y, cell_width, cell_height, grid_size);
}

bool point_grid::literal_before(std::int32_t a, std::int32_t b,
                                std::pair<std::int32_t, std::int32_t> start) const {
    const auto [sc, sr] = start;
    // Ring, then side of the ring, then place along the side, then id.
    auto place = [&](std::int32_t rank) {
        const std::int32_t c = literal.col[rank], r = literal.row[rank];
        const std::int32_t ring = std::max(std::abs(c - sc), std::abs(r - sr));
        std::int32_t side = 0, along = 0;
        if (ring > 0) {
            if (r == sr - ring)
                along = c;
            else if (r == sr + ring)
                side = 1, along = c;
            else if (c == sc - ring)
                side = 2, along = r;
            else
                side = 3, along = r;
        }
        return std::tuple{ring, side, along, ids[rank]};
    };
    return place(a) < place(b);
}

void point_grid::build_cell_trees() {
    // Built before the search starts, so that the helper can read them too.
    cell_tree.assign(xy.size(), -1);
    for (size_t c = 0; c + 1 < cell_start.size(); ++c) {
        const std::int32_t begin = cell_start[c], end = cell_start[c + 1];
        if (end - begin <= crowded_cell) continue;
        const auto first = static_cast<std::int32_t>(node_ranks.size());
        for (std::int32_t rank = begin; rank < end; ++rank)
            node_ranks.push_back(rank);
        cell_tree[begin] = build_point_node(first, static_cast<std::int32_t>(node_ranks.size()), 0);
    }
}

std::int32_t point_grid::build_point_node(std::int32_t begin, std::int32_t end, int depth) {
    point_node node{{INFINITY, -INFINITY, INFINITY, -INFINITY}, begin, end, -1, 0, false};
    for (std::int32_t k = begin; k < end; ++k) {
        const vector_2d& v = xy[node_ranks[k]];
        node.bounds[0] = std::min(node.bounds[0], v.x);
        node.bounds[1] = std::max(node.bounds[1], v.x);
        node.bounds[2] = std::min(node.bounds[2], v.y);
        node.bounds[3] = std::max(node.bounds[3], v.y);
    }
    node.same_xy = node.bounds[0] == node.bounds[1] && node.bounds[2] == node.bounds[3];
    const auto index = static_cast<std::int32_t>(nodes.size());
    nodes.push_back(node);
    if (end - begin <= 16 || node.same_xy || depth >= 24) return index;
    // Split into quadrants at the middle of the bounds.
    const double mid_x = (static_cast<double>(node.bounds[0]) + node.bounds[1]) / 2;
    const double mid_y = (static_cast<double>(node.bounds[2]) + node.bounds[3]) / 2;
    std::int32_t* first = &node_ranks[begin];
    std::int32_t* last = first + (end - begin);
    std::int32_t* split_x =
        std::partition(first, last, [&](std::int32_t r) { return xy[r].x <= mid_x; });
    std::int32_t* parts[5] = {
        first, std::partition(first, split_x, [&](std::int32_t r) { return xy[r].y <= mid_y; }),
        split_x, std::partition(split_x, last, [&](std::int32_t r) { return xy[r].y <= mid_y; }),
        last};
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    for (int k = 0; k < 4; ++k)
        if (parts[k] != parts[k + 1])
            ranges.push_back({begin + static_cast<std::int32_t>(parts[k] - first),
                              begin + static_cast<std::int32_t>(parts[k + 1] - first)});
    if (ranges.size() < 2) return index; // rounding put every point on one side
    // Children are built first, then listed together after their parent.
    std::vector<std::int32_t> built;
    for (auto [b, e] : ranges)
        built.push_back(build_point_node(b, e, depth + 1));
    const auto first_child = static_cast<std::int32_t>(nodes.size());
    for (std::int32_t child : built) {
        const point_node copy = nodes[child];
        nodes.push_back(copy);
    }
    nodes[index].first_child = first_child;
    nodes[index].child_count = static_cast<std::int32_t>(built.size());
    return index;
}

void point_grid::build_hull(std::int32_t point_count) {
    // Points inside the polygon of the eight extreme points cannot be hull
    // corners; dropping them first keeps the sort small.
    const double dirs[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                               {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    std::int32_t extreme[8] = {};
    double best[8];
    std::fill(std::begin(best), std::end(best), -INFINITY);
    for (std::int32_t id = 0; id < point_count; ++id)
        for (int k = 0; k < 8; ++k) {
            const double v = dirs[k][0] * xy[id].x + dirs[k][1] * xy[id].y;
            if (v > best[k]) {
                best[k] = v;
                extreme[k] = id;
            }
        }
    auto same = [](const vector_2d& a, const vector_2d& b) { return a.x == b.x && a.y == b.y; };
    std::vector<vector_2d> ring;
    for (int k = 0; k < 8; ++k) {
        const vector_2d& p = xy[extreme[k]];
        if (ring.empty() || !same(ring.back(), p)) ring.push_back(p);
    }
    while (ring.size() > 1 && same(ring.front(), ring.back()))
        ring.pop_back();
    std::vector<vector_2d> rest;
    for (const vector_2d& p : xy) {
        bool inside = ring.size() >= 3;
        for (size_t k = 0; inside && k < ring.size(); ++k) {
            const vector_2d& a = ring[k];
            const vector_2d& b = ring[(k + 1) % ring.size()];
            inside = cross_from(a, b, p) > face_tolerance::filter_margin * span * span;
        }
        if (!inside) rest.push_back(p);
    }
    std::sort(rest.begin(), rest.end(), [](const vector_2d& a, const vector_2d& b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    });
    hull.assign(rest.size() * 2, {});
    size_t k = 0;
    for (size_t i = 0; i < rest.size(); ++i) {
        while (k >= 2 && cross_from(hull[k - 2], hull[k - 1], rest[i]) <= 0)
            --k;
        hull[k++] = rest[i];
    }
    for (size_t i = rest.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross_from(hull[k - 2], hull[k - 1], rest[i]) <= 0)
            --k;
        hull[k++] = rest[i];
    }
    hull.resize(k > 1 ? k - 1 : k);
    // Bounds of each run of corners together with the next run's first, so
    // that a run's bounds hold its edges.
    hull_runs.clear();
    for (size_t first = 0; first < hull.size(); first += hull_run) {
        std::array<float, 4> b{INFINITY, -INFINITY, INFINITY, -INFINITY};
        for (size_t k = first; k <= first + hull_run && k <= hull.size(); ++k) {
            const vector_2d& v = hull[k % hull.size()];
            b = {std::min(b[0], v.x), std::max(b[1], v.x), std::min(b[2], v.y),
                 std::max(b[3], v.y)};
        }
        hull_runs.push_back(b);
    }
}

cell_range point_grid::outside_region(const edge_frame& edge) const {
    // Every candidate lies in the hull and on the outer side of P->Q; take the
    // bounds of that piece of the hull, with room for rounding.
    const vector_2d &p = edge.p, &q = edge.q;
    const double ax = edge.ax, ay = edge.ay, tol = edge.tol;
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    auto take = [&](double x, double y) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    };
    // A long hull is looked at in runs: a run whose bounds lie wholly on the
    // inner side adds nothing, one wholly outside adds its bounds.
    const double slack = face_tolerance::filter_margin * (std::fabs(ax) + std::fabs(ay)) * span;
    auto corner_side = [&](double x, double y) { return ax * (y - p.y) - ay * (x - p.x) + tol; };
    for (size_t run = 0; run < hull_runs.size(); ++run) {
        const float* b = hull_runs[run].data();
        const double g[4] = {corner_side(b[0], b[2]), corner_side(b[0], b[3]),
                             corner_side(b[1], b[2]), corner_side(b[1], b[3])};
        if (std::max({g[0], g[1], g[2], g[3]}) < -slack) continue;
        const size_t first = run * hull_run, last = std::min(hull.size(), first + hull_run);
        if (std::min({g[0], g[1], g[2], g[3]}) > slack) {
            // Every corner and the next run's first lie outside: the edges
            // between them cross nothing.
            take(b[0], b[2]);
            take(b[1], b[3]);
            continue;
        }
        for (size_t k = first; k < last; ++k) {
            const vector_2d& a = hull[k];
            const vector_2d& c = hull[(k + 1) % hull.size()];
            const double ga = cross_from(p, q, a) + tol, gc = cross_from(p, q, c) + tol;
            if (ga >= 0) take(a.x, a.y);
            if ((ga >= 0) != (gc >= 0)) {
                const double s = ga / (ga - gc);
                take(a.x + s * (static_cast<double>(c.x) - a.x),
                     a.y + s * (static_cast<double>(c.y) - a.y));
            }
        }
    }
    if (x0 > x1) return {1, 0, 1, 0}; // nothing of the hull lies outside
    const double margin = face_tolerance::filter_margin * span;
    const auto lo = cell_of(x0 - margin, y0 - margin);
    const auto hi = cell_of(x1 + margin, y1 + margin);
    return {std::max(0, lo.first - 1), std::min(cols - 1, hi.first + 1), std::max(0, lo.second - 1),
            std::min(rows - 1, hi.second + 1)};
}

double point_grid::clearance(double x, double y, const cell_range& a) const {
    // A point left of column c0 lies below its edge, one right of c1 at or
    // past the next; nothing lies beyond the outer bands.
    const std::vector<double>& col_edges = col_band.edges();
    const std::vector<double>& row_edges = row_band.edges();
    double d = INFINITY;
    if (a.c0 > 0) d = std::min(d, x - col_edges[a.c0]);
    if (a.r0 > 0) d = std::min(d, y - row_edges[a.r0]);
    if (a.c1 < cols - 1) d = std::min(d, col_edges[a.c1 + 1] - x);
    if (a.r1 < rows - 1) d = std::min(d, row_edges[a.r1 + 1] - y);
    return d * (1 - face_tolerance::distance_rounding);
}

} // namespace tessaline::faces
