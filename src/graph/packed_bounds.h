// Face bounds in a bucket as 16-bit steps of its rectangle, four to a word,
// tested many at once without branches; inline for the crossing query.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
inline void meeting(const std::uint64_t* bounds, int count, const std::uint64_t limit[2],
                    std::uint64_t meets[2]) {
    meets[0] = meets[1] = 0;
#if defined(__SSE2__)
    const __m128i l0 = _mm_set1_epi64x(static_cast<long long>(limit[0]));
    const __m128i l1 = _mm_set1_epi64x(static_cast<long long>(limit[1]));
    const __m128i zero = _mm_setzero_si128();
    auto load = [&](int k) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bounds + k));
    };
    // Eight boxes at a time: a lane that exceeds the limit leaves a non-zero
    // byte in its box's four, and a box meets the query where all four are zero.
    auto eight = [&](const __m128i e[4], __m128i l) {
        const __m128i low = _mm_packs_epi16(_mm_cmpgt_epi16(e[0], l), _mm_cmpgt_epi16(e[1], l));
        const __m128i high = _mm_packs_epi16(_mm_cmpgt_epi16(e[2], l), _mm_cmpgt_epi16(e[3], l));
        const __m128i free =
            _mm_packs_epi32(_mm_cmpeq_epi32(low, zero), _mm_cmpeq_epi32(high, zero));
        return static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_packs_epi16(free, zero)));
    };
    for (int k = 0; k < count; k += 8) {
        const __m128i e[4] = {load(k), load(k + 2), load(k + 4), load(k + 6)};
        meets[0] |= eight(e, l0) << k;
        meets[1] |= eight(e, l1) << k;
    }
#else
    for (int k = 0; k < count; ++k)
        for (int s = 0; s < 2; ++s) {
            bool meets_all = true;
            for (int lane = 0; lane < 4; ++lane)
                meets_all &= static_cast<std::int16_t>(bounds[k] >> (16 * lane)) <=
                             static_cast<std::int16_t>(limit[s] >> (16 * lane));
            meets[s] |= static_cast<std::uint64_t>(meets_all) << k;
        }
#endif
    if (count < 64) {
        const std::uint64_t valid = (std::uint64_t{1} << count) - 1;
        meets[0] &= valid;
        meets[1] &= valid;
    }
}

} // namespace tessaline::faces
