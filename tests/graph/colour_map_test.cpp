// The colour maps: their tables, the position of a Z value, point colours.
#include "graph/colour_map.h"
#include "graph/colour_map_tables.h"
#include "graph/datafield.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tessaline;

namespace {

rgb_triple bytes(const colour_entry& e) {
    const auto c = [](float v) { return static_cast<std::uint8_t>(std::lround(v * 255)); };
    return {c(e.r), c(e.g), c(e.b)};
}

} // namespace

TEST(ColourMap, TablesHoldThePublishedValues) {
    const auto viridis = colour_table(colour_map::viridis);
    ASSERT_EQ(viridis.size(), 256u);
    EXPECT_EQ(bytes(viridis.front()), (rgb_triple{68, 1, 84}));
    EXPECT_EQ(bytes(viridis[128]), (rgb_triple{33, 145, 140}));
    EXPECT_EQ(bytes(viridis.back()), (rgb_triple{253, 231, 37}));
    const auto cividis = colour_table(colour_map::cividis);
    ASSERT_EQ(cividis.size(), 32u);
    EXPECT_EQ(bytes(cividis.front()), (rgb_triple{0, 34, 78}));
    EXPECT_EQ(bytes(cividis.back()), (rgb_triple{254, 232, 56}));
    // The diverging map: blue, a neutral grey in the middle, red.
    const auto diverging = colour_table(colour_map::diverging);
    ASSERT_EQ(diverging.size(), 33u);
    const rgb_triple middle = bytes(diverging[16]);
    EXPECT_EQ(middle.r, middle.g);
    EXPECT_GT(bytes(diverging.front()).b, 150);
    EXPECT_GT(bytes(diverging.back()).r, 150);
    EXPECT_TRUE(colour_table(colour_map::off).empty());
    // Every sequential map grows lighter from its low end to its high end.
    for (colour_map map : {colour_map::viridis, colour_map::cividis, colour_map::grey}) {
        const auto table = colour_table(map);
        const auto light = [](const colour_entry& e) {
            return 0.3 * e.r + 0.59 * e.g + 0.11 * e.b;
        };
        EXPECT_LT(light(table.front()) + 0.4, light(table.back())) << colour_map_name(map);
    }
}

TEST(ColourMap, ColoursBetweenTheEntriesAreInterpolated) {
    EXPECT_EQ(colour_at(colour_map::viridis, 0), (rgb_triple{68, 1, 84}));
    EXPECT_EQ(colour_at(colour_map::viridis, 1), (rgb_triple{253, 231, 37}));
    // Half way between the grey ramp's two entries.
    EXPECT_EQ(colour_at(colour_map::grey, 0.5), (rgb_triple{128, 128, 128}));
    // Outside 0 .. 1 and not a number: the ends.
    EXPECT_EQ(colour_at(colour_map::cividis, -3), colour_at(colour_map::cividis, 0));
    EXPECT_EQ(colour_at(colour_map::cividis, 7), colour_at(colour_map::cividis, 1));
    EXPECT_EQ(colour_at(colour_map::cividis, std::nan("")), colour_at(colour_map::cividis, 0));
    EXPECT_EQ(colour_at(colour_map::off, 0.5), rgb_triple{});
}

TEST(ColourMap, NamesReadBack) {
    for (colour_map map : {colour_map::off, colour_map::viridis, colour_map::cividis,
                           colour_map::diverging, colour_map::grey})
        EXPECT_EQ(colour_map_named(colour_map_name(map)), map);
    EXPECT_EQ(colour_map_named("Viridis"), std::nullopt);
    EXPECT_EQ(colour_map_named(""), std::nullopt);
}

TEST(ColourMap, DivergingSpanIsCentredOnZeroOnlyWhenTheDataCrossIt) {
    EXPECT_EQ(colour_span_for(colour_map::diverging, -1, 4), (colour_span{-4, 4}));
    EXPECT_EQ(colour_span_for(colour_map::diverging, -6, 2), (colour_span{-6, 6}));
    EXPECT_EQ(colour_span_for(colour_map::diverging, 2, 5), (colour_span{2, 5}));
    EXPECT_EQ(colour_span_for(colour_map::viridis, -1, 4), (colour_span{-1, 4}));
    EXPECT_EQ(colour_span_for(colour_map::viridis, 4, -1), (colour_span{-1, 4}));
    // Zero stands at the neutral middle.
    EXPECT_DOUBLE_EQ(colour_position(colour_span_for(colour_map::diverging, -1, 4), 0), 0.5);
    EXPECT_DOUBLE_EQ(colour_position({2, 6}, 3), 0.25);
    EXPECT_DOUBLE_EQ(colour_position({2, 6}, 100), 1);
    // A flat graph is one colour, the middle one.
    EXPECT_DOUBLE_EQ(colour_position({3, 3}, 3), 0.5);
    EXPECT_DOUBLE_EQ(colour_position({0, 1}, std::numeric_limits<double>::quiet_NaN()), 0.5);
}

TEST(ColourMap, PointColoursFollowZAndTheZLimits) {
    Datafield field;
    field.load_points({{0, 0, -2}, {1, 0, 0}, {0, 1, 8}});
    EXPECT_TRUE(height_colours(field, colour_map::off).empty());
    const auto colours = height_colours(field, colour_map::viridis);
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[0], colour_at(colour_map::viridis, 0));
    EXPECT_EQ(colours[1], colour_at(colour_map::viridis, 0.2));
    EXPECT_EQ(colours[2], colour_at(colour_map::viridis, 1));
    // Diverging: -8 .. 8, so zero is the middle and -2 below it.
    const auto signed_colours = height_colours(field, colour_map::diverging);
    EXPECT_EQ(signed_colours[1], colour_at(colour_map::diverging, 0.5));
    EXPECT_EQ(signed_colours[0], colour_at(colour_map::diverging, 6.0 / 16));
    // Z limits set the span: 0 .. 4, the highest point beyond it at the top.
    field.set_limits({}, {}, {0.0, 4.0});
    const auto limited = height_colours(field, colour_map::viridis);
    EXPECT_EQ(limited[1], colour_at(colour_map::viridis, 0));
    EXPECT_EQ(limited[2], colour_at(colour_map::viridis, 1));
}
