// Bands along one axis that hold equal shares of the points, for the point
// grid and the face index: far values no longer crowd every point into a
// few cells of a grid laid evenly over the extent.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tessaline::faces {

// Edges of about `bands` bands from lo to hi holding equal shares of the
// sorted values; equal quantiles merge, so crowded repeated values take one
// band. A gap far wider than the bands beside it gets bands growing twofold
// from either side: the long faces that reach a far value then pass through
// the wide bands, not through the ones beside the crowded values.
inline std::vector<double> band_edges(const std::vector<float>& sorted, double lo, double hi,
                                      std::int32_t bands) {
    std::vector<double> quantiles{lo};
    for (std::int32_t k = 1; k < bands && !sorted.empty(); ++k) {
        const double v = sorted[sorted.size() * static_cast<size_t>(k) / bands];
        if (v > quantiles.back() && v < hi) quantiles.push_back(v);
    }
    quantiles.push_back(std::max(hi, lo));
    std::vector<double> edges{lo}, growing;
    for (size_t k = 1; k < quantiles.size(); ++k) {
        const double a = quantiles[k - 1], b = quantiles[k], middle = a + (b - a) / 2;
        const double before = k >= 2 ? a - quantiles[k - 2] : INFINITY;
        const double after = k + 1 < quantiles.size() ? quantiles[k + 1] - b : INFINITY;
        for (double w = 2 * before; a + w < middle; w *= 2)
            if (a + w > edges.back()) edges.push_back(a + w);
        growing.clear();
        for (double w = 2 * after; b - w > middle; w *= 2)
            growing.push_back(b - w);
        for (auto v = growing.rbegin(); v != growing.rend(); ++v)
            if (*v > edges.back()) edges.push_back(*v);
        if (b > edges.back() || k + 1 == quantiles.size()) edges.push_back(b);
    }
    return edges;
}

// The band at v: band k holds [edges[k], edges[k + 1]), the first and last
// also everything beyond the extent.
inline std::int32_t band_at(const std::vector<double>& edges, double v) {
    return static_cast<std::int32_t>(std::upper_bound(edges.begin() + 1, edges.end() - 1, v) -
                                     (edges.begin() + 1));
}

// A sorted sample of at most `most` values taken evenly from `count` values.
template <class Value>
std::vector<float> sorted_sample(std::size_t count, std::size_t most, Value&& value) {
    const std::size_t stride = std::max<std::size_t>(1, count / std::max<std::size_t>(1, most));
    std::vector<float> sample;
    sample.reserve(count / stride + 1);
    for (std::size_t k = 0; k < count; k += stride)
        sample.push_back(value(k));
    std::sort(sample.begin(), sample.end());
    return sample;
}

} // namespace tessaline::faces
