// Bounds of faces in a bucket as 16-bit steps of its rectangle, four to a
// word, so that many are tested against a query at once without branches.
#pragma once

#include <cstdint>

namespace tessaline::faces {

// A coordinate in steps of a bucket, rounded down or up and clamped to
// 0 .. 65535. Both are monotone in the coordinate, so bounds that overlap
// still overlap in steps.
inline std::uint16_t steps_below(double v, double origin, double scale) {
    const double q = (v - origin) * scale;
    if (!(q > 0)) return 0;
    if (!(q < 65535)) return 65535;
    return static_cast<std::uint16_t>(q);
}
inline std::uint16_t steps_above(double v, double origin, double scale) {
    const double q = (v - origin) * scale;
    if (!(q > 0)) return 0;
    if (!(q < 65535)) return 65535;
    const auto t = static_cast<std::uint16_t>(q);
    return static_cast<std::uint16_t>(t + (t < q));
}

// Bounds in steps as four 16-bit lanes: x0, 65535 - x1, y0, 65535 - y1, each
// with its top bit flipped so that signed compares order them as unsigned.
// Bounds B meet a query Q when no lane of B exceeds the same lane of
// pack_steps(Q.x1, Q.x0, Q.y1, Q.y0).
inline std::uint64_t pack_steps(std::uint16_t x0, std::uint16_t x1, std::uint16_t y0,
                                std::uint16_t y1) {
    auto lane = [](unsigned v, int k) {
        return static_cast<std::uint64_t>((v ^ 0x8000u) & 0xFFFFu) << (16 * k);
    };
    return lane(x0, 0) | lane(65535u - x1, 1) | lane(y0, 2) | lane(65535u - y1, 3);
}

// Bit k of meets[s] tells whether bounds[k] meets the query packed in
// limit[s], for k < count <= 64; bounds holds count rounded up to 8 words.
void meeting(const std::uint64_t* bounds, int count, const std::uint64_t limit[2],
             std::uint64_t meets[2]);

} // namespace tessaline::faces
