// A picture as 8-bit red, green and blue bytes, top row first: what a
// snapshot reads back from the view and the PNG writer stores.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaline {

struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3

    std::uint8_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width * 3; }
    const std::uint8_t* row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * width * 3;
    }
};

} // namespace tessaline
