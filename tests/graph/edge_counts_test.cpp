// Edge counts against a map of every edge, also for points with more edges
// than a row holds, whose edges spill to the other end's row and the map.
#include "graph/edge_counts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <utility>

using tessaline::faces::edge_counts;

TEST(EdgeCounts, MatchAMapOfEveryEdge) {
    for (std::int32_t points : {2, 7, 50, 2000}) {
        std::mt19937 rng(static_cast<unsigned>(points));
        // A few hubs with many edges, the rest spread.
        std::uniform_int_distribution<std::int32_t> any(0, points - 1), hub(0, 1);
        edge_counts counts(points);
        std::map<std::pair<std::int32_t, std::int32_t>, int> expected;
        for (int k = 0; k < 20 * points; ++k) {
            const std::int32_t a = k % 3 == 0 ? hub(rng) : any(rng);
            std::int32_t b = any(rng);
            if (b == a) b = (a + 1) % points;
            const auto key = std::minmax(a, b);
            const int n = std::min(++expected[key], 255);
            ASSERT_EQ(counts.add(a, b), n) << a << "-" << b;
            const std::int32_t c = any(rng), d = any(rng);
            const auto it = expected.find(std::minmax(c, d));
            ASSERT_EQ(counts.uses(d, c), it == expected.end() ? 0 : std::min(it->second, 255))
                << c << "-" << d;
        }
        for (const auto& [edge, n] : expected)
            ASSERT_EQ(counts.uses(edge.first, edge.second), std::min(n, 255));
    }
}

TEST(EdgeCounts, CountsStopAt255) {
    edge_counts counts(3);
    for (int k = 0; k < 300; ++k)
        counts.add(2, 0);
    EXPECT_EQ(counts.uses(0, 2), 255);
    EXPECT_EQ(counts.add(0, 2), 255);
    EXPECT_EQ(counts.uses(0, 1), 0);
}
