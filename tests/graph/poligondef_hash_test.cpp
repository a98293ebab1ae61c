// The faces of large sets, too large for the reference builder, held to the
// hashes recorded when the builder was known to match it: a change in any
// face, its order or its corner order shows here.
#include "graph/seeded_point_sets.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

using namespace tessaline;
using tessaline::seeded::spread;

namespace {

struct recorded {
    spread shape;
    std::size_t faces;
    std::uint64_t hash;
};

std::string hex(std::uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, v);
    return text;
}

void PrintTo(const recorded& r, std::ostream* os) {
    *os << seeded::name_of(r.shape);
}

class LargeFacesKeepTheirHash : public ::testing::TestWithParam<recorded> {};

TEST_P(LargeFacesKeepTheirHash, At100kPoints) {
    const recorded& r = GetParam();
    const triangles faces = seeded::build_faces(seeded::make_points(r.shape, 100'000, 20261210));
    EXPECT_EQ(faces.size(), r.faces);
    EXPECT_EQ(hex(seeded::face_hash(faces)), hex(r.hash));
}

INSTANTIATE_TEST_SUITE_P(Shapes, LargeFacesKeepTheirHash,
                         ::testing::Values(recorded{spread::uniform, 198733, 0xe24ad13bfed33341},
                                           recorded{spread::gaussian, 199942, 0x274b12ac90e8726c},
                                           recorded{spread::clustered, 199152, 0xd2e7d6b768cb6190},
                                           recorded{spread::thin_ring, 195938, 0x0ce906b827f561cf},
                                           recorded{spread::far_point, 199131, 0xf37994a32afe2add}),
                         [](const auto& info) { return seeded::name_of(info.param.shape); });

} // namespace
