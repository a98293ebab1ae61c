#include "graph/cells.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace tessaline;

namespace {
std::vector<std::int32_t> drain(cells& g) {
    std::vector<std::int32_t> ids;
    for (std::int32_t id = g.next_point(); id != -1; id = g.next_point())
        ids.push_back(id);
    return ids;
}
} // namespace

TEST(Cells, ThreePointsOneCell) {
    gl_points_ pts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    cells g(pts, 1, 0, 1, 0);
    EXPECT_EQ(g.grid_size, 1);
    g.start_search(0.5, 0.5);
    EXPECT_EQ(drain(g), (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_FALSE(g.grow_area());
    // Every side is a border: min of 2w, 2h, w + 10, h + 10.
    EXPECT_DOUBLE_EQ(g.search_clearance(), 2.0);
}

TEST(Cells, SizesAndRefinement) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> u(0, 1);
    gl_points_ spread(100);
    for (auto& p : spread)
        p = {u(rng), u(rng), 0};
    EXPECT_EQ(cells(spread, 1, 0, 1, 0).grid_size, 3);
    EXPECT_EQ(initial_grid_size(20), 1);
    EXPECT_EQ(initial_grid_size(21), 2);
    EXPECT_EQ(initial_grid_size(80), 2);
    EXPECT_EQ(initial_grid_size(180), 3);

    gl_points_ crowd(1000, {0.25f, 0.25f, 0});
    crowd.push_back({0, 0, 0});
    crowd.push_back({1, 1, 0});
    cells g(crowd, 1, 0, 1, 0);
    EXPECT_EQ(g.grid_size, 8 * 16);
    EXPECT_EQ(g.fill_rounds, 5);
    auto [col, row] = g.cell_of(0.25, 0.25);
    EXPECT_EQ(g.grid[col][row].count, 1000);
}

TEST(Cells, BoundariesBelongToTheLowerCell) {
    gl_points_ pts(80, {0.5f, 0.5f, 0}); // n = 2
    cells g(pts, 1, 0, 1, 0);
    ASSERT_EQ(g.grid_size, 2);
    EXPECT_EQ(g.cell_of(0, 0), std::make_pair(0, 0));
    EXPECT_EQ(g.cell_of(0.5, 0.5), std::make_pair(0, 0));
    EXPECT_EQ(g.cell_of(0.5000001, 1), std::make_pair(1, 1));
    EXPECT_EQ(g.cell_of(1, 0.25), std::make_pair(1, 0));
}

TEST(Cells, RingsCoverEveryPointOnce) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-1, 1);
    gl_points_ pts(2000);
    for (auto& p : pts)
        p = {u(rng), u(rng), 0};
    cells g(pts, 1, -1, 1, -1);
    g.start_search(-0.99, -0.99);
    std::set<std::int32_t> seen;
    double last_clearance = -1;
    do {
        for (auto id : drain(g))
            EXPECT_TRUE(seen.insert(id).second);
        double c = g.search_clearance();
        EXPECT_GE(c, last_clearance);
        last_clearance = c;
    } while (g.grow_area());
    EXPECT_EQ(seen.size(), pts.size());
    // The first ring around a corner cell adds only cells up and to the right.
    g.start_search(-0.99, -0.99);
    drain(g);
    g.grow_area();
    for (const auto& a : g.area) {
        EXPECT_GE(a.col, 0);
        EXPECT_GE(a.row, 0);
    }
    EXPECT_EQ(g.area.size(), 4u);
}
