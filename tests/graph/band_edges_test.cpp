// Bands of equal shares against a plain count of the edges at or below a
// value: spread, crowded and repeated values, a speck beside a far value.
#include "graph/band_edges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace tessaline::faces;

namespace {

std::int32_t counted_band(const std::vector<double>& edges, double v) {
    std::int32_t band = 0;
    for (size_t k = 1; k + 1 < edges.size(); ++k)
        band += edges[k] <= v;
    return band;
}

std::vector<std::vector<float>> value_sets() {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<std::vector<float>> sets(4);
    for (int k = 0; k < 5000; ++k) {
        sets[0].push_back(u(rng));
        sets[1].push_back(k % 7 ? 0.25f : u(rng));     // mostly one value
        sets[2].push_back(k ? u(rng) * 1e-20f : 1.0f); // a speck and a far value
        sets[3].push_back(std::tan(1.5f * u(rng)));    // heavy tails
    }
    return sets;
}

} // namespace

TEST(BandEdges, EdgesRiseFromLowToHighAndShareTheValues) {
    for (auto values : value_sets()) {
        std::sort(values.begin(), values.end());
        const double lo = values.front(), hi = values.back();
        const auto edges = band_edges(values, lo, hi, 50);
        ASSERT_EQ(edges.front(), lo);
        ASSERT_EQ(edges.back(), hi);
        ASSERT_TRUE(std::is_sorted(edges.begin(), edges.end()));
        ASSERT_EQ(std::adjacent_find(edges.begin(), edges.end()), edges.end())
            << "a band without width";
        // No band holds much more than its share but for copies of its first
        // value.
        for (size_t k = 0; k + 1 < edges.size(); ++k) {
            const auto first = std::lower_bound(values.begin(), values.end(), edges[k]);
            const auto last = k + 2 == edges.size()
                                  ? values.end()
                                  : std::lower_bound(values.begin(), values.end(), edges[k + 1]);
            if (first == last) continue;
            const auto others = last - std::upper_bound(first, last, *first);
            EXPECT_LE(others, 3 * 5000 / 50) << "band " << k;
        }
    }
}

TEST(BandEdges, LookupAgreesWithACountEverywhere) {
    std::mt19937 rng(7);
    for (auto values : value_sets()) {
        std::sort(values.begin(), values.end());
        const band_lookup bands(band_edges(values, values.front(), values.back(), 64));
        const auto& edges = bands.edges();
        std::vector<double> probes{-INFINITY, INFINITY, 2.0 * values.back() + 1};
        for (double e : edges)
            probes.insert(probes.end(),
                          {e, std::nextafter(e, -INFINITY), std::nextafter(e, INFINITY)});
        std::uniform_int_distribution<size_t> any(0, values.size() - 1);
        for (int k = 0; k < 2000; ++k)
            probes.push_back(values[any(rng)]);
        for (double v : probes)
            ASSERT_EQ(bands(v), counted_band(edges, v)) << "at " << v;
    }
}
