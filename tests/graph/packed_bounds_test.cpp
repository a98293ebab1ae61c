// Packed bounds against plain overlap of the same boxes: steps never lose an
// overlap, and the lane test agrees with comparing the steps one by one.
#include "graph/packed_bounds.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace tessaline::faces;

namespace {

struct box {
    double x0, x1, y0, y1;
};

bool overlap(const box& a, const box& b) {
    return a.x0 <= b.x1 && a.x1 >= b.x0 && a.y0 <= b.y1 && a.y1 >= b.y0;
}

} // namespace

TEST(PackedBounds, MeetingAgreesWithOverlapInSteps) {
    std::mt19937_64 rng(5);
    // Boxes reach past the bucket on every side, and some are points.
    std::uniform_real_distribution<double> u(-0.2, 1.2), size(0, 0.05);
    const double origin = 0, scale = 65535; // a unit bucket
    for (int count : {1, 7, 8, 9, 63, 64}) {
        for (int round = 0; round < 50; ++round) {
            std::vector<box> boxes(static_cast<size_t>(count));
            std::vector<std::uint64_t> packed((static_cast<size_t>(count) + 7) / 8 * 8);
            for (int k = 0; k < count; ++k) {
                const double x = u(rng), y = u(rng), w = k % 5 ? size(rng) : 0;
                boxes[k] = {x, x + w, y, y + w};
                packed[k] = pack_steps(steps_below(boxes[k].x0, origin, scale),
                                       steps_above(boxes[k].x1, origin, scale),
                                       steps_below(boxes[k].y0, origin, scale),
                                       steps_above(boxes[k].y1, origin, scale));
            }
            box query[2];
            std::uint64_t limit[2];
            for (int s = 0; s < 2; ++s) {
                const double x = u(rng), y = u(rng), w = size(rng) * 4;
                query[s] = {x, x + w, y, y + w};
                limit[s] = pack_steps(steps_above(query[s].x1, origin, scale),
                                      steps_below(query[s].x0, origin, scale),
                                      steps_above(query[s].y1, origin, scale),
                                      steps_below(query[s].y0, origin, scale));
            }
            std::uint64_t meets[2];
            meeting(packed.data(), count, limit, meets);
            for (int s = 0; s < 2; ++s)
                for (int k = 0; k < count; ++k) {
                    const bool met = meets[s] >> k & 1;
                    // Steps widen a box outwards, so a real overlap always meets.
                    if (overlap(boxes[k], query[s])) {
                        EXPECT_TRUE(met) << "box " << k;
                    }
                    const auto step = [&](double v, bool up) {
                        return up ? steps_above(v, origin, scale) : steps_below(v, origin, scale);
                    };
                    const bool in_steps = step(boxes[k].x0, false) <= step(query[s].x1, true) &&
                                          step(boxes[k].x1, true) >= step(query[s].x0, false) &&
                                          step(boxes[k].y0, false) <= step(query[s].y1, true) &&
                                          step(boxes[k].y1, true) >= step(query[s].y0, false);
                    EXPECT_EQ(met, in_steps) << "box " << k << " query " << s;
                }
            if (count < 64) {
                EXPECT_EQ(meets[0] >> count, 0u); // nothing past count
                EXPECT_EQ(meets[1] >> count, 0u);
            }
        }
    }
}
