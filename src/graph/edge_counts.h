// How many built faces hold each undirected edge between two point ranks.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace tessaline::faces {

class edge_counts {
  public:
    explicit edge_counts(std::int32_t point_count);
    // Counts one more face on a-b (up to 255); returns the count after.
    std::uint8_t add(std::int32_t a, std::int32_t b);
    std::uint8_t uses(std::int32_t a, std::int32_t b) const;

  private:
    // Edges of a point: the other point (or -1) and its count; one row fills
    // half a cache line.
    static constexpr int row_size = 6;
    struct alignas(32) row {
        std::int32_t to[row_size];
        std::uint8_t uses[row_size];
    };
    // The count of a-b, made 0 where it was not kept yet.
    std::uint8_t& slot(std::int32_t a, std::int32_t b);

    std::vector<row> rows_;
    std::unordered_map<std::uint64_t, std::uint8_t> overflow_;
};

} // namespace tessaline::faces
