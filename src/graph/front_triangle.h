// A face of the advancing front: its corners by point rank, and which of its
// edges are still open for a neighbour.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaline::faces {

struct front_triangle {
    std::int32_t corner[3];
    std::uint8_t open;   // bit j: edge j (corner j -> corner j+1) not yet shared
    std::uint8_t single; // edges held by this triangle alone when it was added
};

using front = std::vector<front_triangle>;

} // namespace tessaline::faces
