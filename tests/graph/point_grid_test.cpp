// The point grid against brute-force scans of its points: ranks and cell
// bounds, the crowded cells' trees, the hull, the region of an edge's
// candidates, clearances, and the ring order of the literal cell search.
#include "graph/cells.h"
#include "graph/face_geometry.h"
#include "graph/point_grid.h"
#include "seeded_point_sets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <random>

using namespace tessaline;
using namespace tessaline::faces;

namespace {

// Sets with crowded cells (a cluster with far points) and without.
std::vector<gl_points_> sample_sets() {
    std::vector<gl_points_> sets;
    for (auto s : {seeded::spread::uniform, seeded::spread::clustered, seeded::spread::thin_ring,
                   seeded::spread::far_point})
        for (std::int32_t n : {5, 300, 4000})
            sets.push_back(seeded::make_points(s, n, 17 + n));
    gl_points_ crowded = seeded::make_points(seeded::spread::gaussian, 3000, 3);
    for (auto& p : crowded)
        p = {p.x * 1e-3f, p.y * 1e-3f, 0};
    crowded.push_back({5, 5, 0});
    crowded.push_back({-5, 4, 0});
    for (int k = 0; k < 200; ++k) // points at one place
        crowded.push_back({0.001f, 0.001f, 0});
    sets.push_back(crowded);
    return sets;
}

std::unique_ptr<point_grid> grid_of(const gl_points_& pts) {
    const seeded::extent e = seeded::extent_of(pts);
    return std::make_unique<point_grid>(static_cast<std::int32_t>(pts.size()), pts, e.max_x,
                                        e.min_x, e.max_y, e.min_y);
}

} // namespace

TEST(PointGrid, RanksCellsAndTreesHoldEveryPoint) {
    for (const gl_points_& pts : sample_sets()) {
        const auto g = grid_of(pts);
        ASSERT_EQ(g->ids.size(), pts.size());
        std::vector<std::int32_t> sorted = g->ids;
        std::sort(sorted.begin(), sorted.end());
        std::vector<std::int32_t> all(pts.size());
        std::iota(all.begin(), all.end(), 0);
        ASSERT_EQ(sorted, all);
        for (std::int32_t cell = 0; cell < g->cols * g->rows; ++cell) {
            const std::int32_t begin = g->cell_start[cell], end = g->cell_start[cell + 1];
            float b[4] = {INFINITY, -INFINITY, INFINITY, -INFINITY};
            for (std::int32_t rank = begin; rank < end; ++rank) {
                const gl_point& p = pts[g->ids[rank]];
                ASSERT_EQ(g->xy[rank].x, p.x);
                ASSERT_EQ(g->xy[rank].y, p.y);
                const auto [col, row] = g->cell_of(p.x, p.y);
                ASSERT_EQ(g->cell_index(col, row), cell);
                if (rank > begin) {
                    ASSERT_LT(g->ids[rank - 1], g->ids[rank]);
                }
                b[0] = std::min(b[0], p.x);
                b[1] = std::max(b[1], p.x);
                b[2] = std::min(b[2], p.y);
                b[3] = std::max(b[3], p.y);
            }
            if (begin == end) continue;
            ASSERT_TRUE(std::equal(b, b + 4, g->bounds_of_cell(cell)));
            if (end - begin <= point_grid::crowded_cell) continue;
            // The tree's leaves hold the cell's ranks once each, inside their
            // nodes' bounds.
            std::vector<std::int32_t> held;
            std::vector<std::int32_t> stack{g->cell_tree[begin]};
            while (!stack.empty()) {
                const point_node& node = g->nodes[stack.back()];
                stack.pop_back();
                for (std::int32_t k = node.begin; k < node.end; ++k) {
                    const vector_2d& v = g->xy[g->node_ranks[k]];
                    ASSERT_TRUE(v.x >= node.bounds[0] && v.x <= node.bounds[1] &&
                                v.y >= node.bounds[2] && v.y <= node.bounds[3]);
                }
                if (node.first_child < 0) {
                    held.insert(held.end(), &g->node_ranks[node.begin],
                                &g->node_ranks[node.begin] + (node.end - node.begin));
                } else {
                    for (std::int32_t k = 0; k < node.child_count; ++k)
                        stack.push_back(node.first_child + k);
                }
            }
            std::sort(held.begin(), held.end());
            std::vector<std::int32_t> ranks(static_cast<size_t>(end - begin));
            std::iota(ranks.begin(), ranks.end(), begin);
            ASSERT_EQ(held, ranks);
        }
    }
}

TEST(PointGrid, HullIsConvexAndHoldsEveryPoint) {
    for (const gl_points_& pts : sample_sets()) {
        const auto g = grid_of(pts);
        const auto& h = g->hull;
        ASSERT_GE(h.size(), 3u);
        for (size_t k = 0; k < h.size(); ++k) {
            const vector_2d &a = h[k], &b = h[(k + 1) % h.size()], &c = h[(k + 2) % h.size()];
            EXPECT_GT(cross_from(a, b, c), 0) << "corner " << k;
            for (const vector_2d& p : g->xy)
                ASSERT_GE(cross_from(a, b, p), 0) << "edge " << k;
        }
    }
}

TEST(PointGrid, OutsideRegionHoldsEveryCandidate) {
    std::mt19937 rng(11);
    for (const gl_points_& pts : sample_sets()) {
        const auto g = grid_of(pts);
        std::uniform_int_distribution<std::int32_t> any(0,
                                                        static_cast<std::int32_t>(pts.size()) - 1);
        for (int k = 0; k < 60; ++k) {
            const std::int32_t from = any(rng), to = any(rng);
            const edge_frame edge = g->frame(from, to);
            const cell_range r = g->outside_region(edge);
            for (std::int32_t rank = 0; rank < static_cast<std::int32_t>(g->xy.size()); ++rank) {
                if (!(cross_from(edge.p, edge.q, g->xy[rank]) > 0)) continue;
                const auto [col, row] = g->cell_of(g->xy[rank].x, g->xy[rank].y);
                ASSERT_TRUE(col >= r.c0 && col <= r.c1 && row >= r.r0 && row <= r.r1)
                    << "rank " << rank << " of edge " << from << "->" << to;
            }
        }
    }
}

TEST(PointGrid, NoPointOutsideTheAreaIsNearerThanItsClearance) {
    std::mt19937 rng(13);
    for (const gl_points_& pts : sample_sets()) {
        const auto g = grid_of(pts);
        std::uniform_int_distribution<std::int32_t> grow(0, 3);
        std::uniform_real_distribution<double> ux(g->min_x, g->max_x), uy(g->min_y, g->max_y);
        for (int k = 0; k < 40; ++k) {
            const double x = ux(rng), y = uy(rng);
            const auto [col, row] = g->cell_of(x, y);
            const std::int32_t d = grow(rng);
            const cell_range area{std::max(0, col - d), std::min(g->cols - 1, col + d),
                                  std::max(0, row - d), std::min(g->rows - 1, row + d)};
            const double clearance = g->clearance(x, y, area);
            for (const vector_2d& v : g->xy) {
                const auto [c, r] = g->cell_of(v.x, v.y);
                if (c >= area.c0 && c <= area.c1 && r >= area.r0 && r <= area.r1) continue;
                ASSERT_GE(std::hypot(v.x - x, v.y - y), clearance);
            }
        }
    }
}

// The literal search hands out every point once, ring by ring; the grid's
// order of equals must be that order.
TEST(PointGrid, LiteralOrderIsTheLiteralSearchsHandout) {
    std::mt19937 rng(19);
    for (const gl_points_& pts : sample_sets()) {
        const auto g = grid_of(pts);
        const seeded::extent e = seeded::extent_of(pts);
        cells literal(pts, e.max_x, e.min_x, e.max_y, e.min_y);
        ASSERT_EQ(literal.grid_size, g->literal.grid_size);
        std::vector<std::int32_t> rank_of(pts.size());
        for (std::int32_t rank = 0; rank < static_cast<std::int32_t>(pts.size()); ++rank)
            rank_of[g->ids[rank]] = rank;
        std::uniform_real_distribution<double> ux(g->min_x, g->max_x), uy(g->min_y, g->max_y);
        for (int k = 0; k < 10; ++k) {
            const double x = ux(rng), y = uy(rng);
            std::vector<std::int32_t> expected;
            literal.start_search(x, y);
            do {
                for (std::int32_t id = literal.next_point(); id != -1; id = literal.next_point())
                    expected.push_back(id);
            } while (literal.grow_area());
            const auto start = g->literal.start(x, y, g->min_x, g->min_y);
            std::vector<std::int32_t> got(g->ids.size());
            std::iota(got.begin(), got.end(), 0);
            std::sort(got.begin(), got.end(), [&](std::int32_t a, std::int32_t b) {
                return g->literal_before(a, b, start);
            });
            for (std::int32_t& r : got)
                r = g->ids[r];
            ASSERT_EQ(got, expected);
        }
    }
}

// Far values leave the bands over the crowded points as fine as without
// them: no cell of a cluster beside a far point is crowded.
TEST(PointGrid, FarValuesDoNotCrowdTheCells) {
    gl_points_ pts = seeded::make_points(seeded::spread::uniform, 20000, 23);
    for (auto& p : pts)
        p = {p.x * 1e-4f, p.y * 1e-4f, 0};
    pts.push_back({1, 1, 0});
    const auto g = grid_of(pts);
    std::int32_t largest = 0;
    for (std::int32_t cell = 0; cell < g->cols * g->rows; ++cell)
        largest = std::max(largest, g->cell_points(cell));
    EXPECT_LE(largest, point_grid::crowded_cell);
    EXPECT_GE(g->cols, 20);
}
