// Writes a picture as a PNG file of three chunks (IHDR, IDAT, IEND):
// 8-bit truecolour without alpha, not interlaced, rows deflated by zlib.
#pragma once

#include "rgb_image.h"

#include <string>

namespace tessaline {

// The whole file's bytes.
std::string encode_png(const rgb_image& image);

struct png_save_result {
    bool ok = true;
    std::string error; // readable, when not ok
};

// Writes next to the path and renames over it, so that a failed save never
// leaves a broken file in the path's place.
png_save_result save_png(const std::string& path, const rgb_image& image);

} // namespace tessaline
