#include "packed_bounds.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaline::faces {

void meeting(const std::uint64_t* bounds, int count, const std::uint64_t limit[2],
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
