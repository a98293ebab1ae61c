#include "edge_counts.h"

#include <algorithm>
#include <utility>

namespace tessaline::faces {

edge_counts::edge_counts(std::int32_t point_count) {
    row empty{};
    std::fill(std::begin(empty.to), std::end(empty.to), -1);
    rows_.assign(static_cast<size_t>(point_count), empty);
}

// Each edge is kept at its lower point; most points hold a few, so a small
// fixed row per point keeps these lookups in cache. A full row passes the
// edge on to the higher point's row (where a lower other point tells it
// apart), then to a map. Rows only ever fill, so a row with a free slot ends
// the search.
std::uint8_t& edge_counts::slot(std::int32_t a, std::int32_t b) {
    const std::int32_t lo = std::min(a, b), hi = std::max(a, b);
    for (auto [at, other] : {std::pair{lo, hi}, std::pair{hi, lo}}) {
        row& r = rows_[at];
        for (int k = 0; k < row_size; ++k) {
            if (r.to[k] == other) return r.uses[k];
            if (r.to[k] < 0) {
                r.to[k] = other;
                return r.uses[k];
            }
        }
    }
    return overflow_[static_cast<std::uint64_t>(lo) << 32 | static_cast<std::uint32_t>(hi)];
}

std::uint8_t edge_counts::add(std::int32_t a, std::int32_t b) {
    std::uint8_t& n = slot(a, b);
    if (n < 255) ++n;
    return n;
}

std::uint8_t edge_counts::uses(std::int32_t a, std::int32_t b) const {
    const std::int32_t lo = std::min(a, b), hi = std::max(a, b);
    for (auto [at, other] : {std::pair{lo, hi}, std::pair{hi, lo}}) {
        const row& r = rows_[at];
        for (int k = 0; k < row_size; ++k) {
            if (r.to[k] == other) return r.uses[k];
            if (r.to[k] < 0) return 0;
        }
    }
    auto it = overflow_.find(static_cast<std::uint64_t>(lo) << 32 | static_cast<std::uint32_t>(hi));
    return it == overflow_.end() ? 0 : it->second;
}

} // namespace tessaline::faces
