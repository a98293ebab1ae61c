// Bands along one axis that hold equal shares of the points, for the point
// grid and the face index: far values no longer crowd every point into a
// few cells of a grid laid evenly over the extent.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace tessaline::faces {

// Edges of about `bands` bands from lo to hi holding equal shares of the
// sorted values; equal quantiles merge, so crowded repeated values take one
// band. A gap far wider than the bands beside it gets bands growing twofold
// from either side: the long faces that reach a far value then pass through
// the wide bands, not through the ones beside the crowded values.
// No band is narrower than `finest` (but for the last).
inline std::vector<double> band_edges(const std::vector<float>& sorted, double lo, double hi,
                                      std::int32_t bands, double finest = 0) {
    std::vector<double> quantiles{lo};
    for (std::int32_t k = 1; k < bands && !sorted.empty(); ++k) {
        const double v = sorted[sorted.size() * static_cast<size_t>(k) / bands];
        if (v > quantiles.back() && v - quantiles.back() >= finest && v < hi)
            quantiles.push_back(v);
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
// also everything beyond the extent. An even table over the extent narrows
// the search to the few bands under its slot.
class band_lookup {
  public:
    band_lookup() = default;
    explicit band_lookup(std::vector<double> edges) : edges_(std::move(edges)) {
        const std::int32_t bands = count();
        const double lo = edges_.front(), hi = edges_.back();
        slots_ = 4 * bands;
        scale_ = hi > lo ? slots_ / (hi - lo) : 0;
        if (!std::isfinite(scale_)) scale_ = 0;
        first_.resize(static_cast<size_t>(slots_) + 1);
        for (std::int32_t s = 0; s <= slots_; ++s)
            first_[s] = slow_band(scale_ > 0 ? lo + s / scale_ : lo);
    }
    std::int32_t count() const { return static_cast<std::int32_t>(edges_.size()) - 1; }
    const std::vector<double>& edges() const { return edges_; }
    std::int32_t operator()(double v) const {
        const double at = (v - edges_.front()) * scale_;
        if (!(at >= 0)) return at < 0 ? 0 : slow_band(v);
        if (!(at < slots_)) return count() - 1;
        const auto s = static_cast<std::int32_t>(at);
        // The slot's ends may round into a neighbour's band: one more each
        // side, and the whole search should edges crowd at a slot's end.
        const std::int32_t inner = count() - 1;
        const std::int32_t from = std::max(0, first_[s] - 1);
        const std::int32_t to = std::min(inner, first_[s + 1] + 1);
        const auto begin = edges_.begin() + 1;
        const auto band =
            static_cast<std::int32_t>(std::upper_bound(begin + from, begin + to, v) - begin);
        if ((from > 0 && begin[from - 1] > v) || (to < inner && begin[to] <= v))
            return slow_band(v);
        return band;
    }

  private:
    std::int32_t slow_band(double v) const {
        return static_cast<std::int32_t>(std::upper_bound(edges_.begin() + 1, edges_.end() - 1, v) -
                                         (edges_.begin() + 1));
    }
    std::vector<double> edges_{0, 0};
    std::vector<std::int32_t> first_;
    std::int32_t slots_ = 0;
    double scale_ = 0;
};

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
