#include "graph/declaration.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tessaline;

TEST(MarkText, WorkedExamples) {
    struct row {
        interval iv;
        const char* text;
    } rows[] = {{{1, 1, 3}, "30"},    {{3, 1, 2}, "2000"},    {{2, 2, 3}, "150"},
                {{1, 5, -4}, "-8"},   {{0, 1, 7}, "7"},       {{0, 1, 10}, "10"},
                {{0, 2, 1}, "0.5"},   {{0, 2, 2}, "1"},       {{-1, 1, 3}, "0.3"},
                {{-1, 1, 12}, "1.2"}, {{-1, 5, 3}, "0.06"},   {{-2, 2, 12}, "0.06"},
                {{-1, 1, -10}, "-1"}, {{-3, 5, 1}, "0.0002"}, {{0, 1, 0}, "0"}};
    for (const auto& r : rows)
        EXPECT_EQ(mark_to_text(r.iv), r.text)
            << r.iv.power << "," << r.iv.divisor << "," << r.iv.multiple;
}

TEST(MarkText, LargeMultiplesDoNotOverflow) {
    EXPECT_EQ(mark_to_text({0, 2, 2'000'000'000}), "1000000000");
    EXPECT_EQ(mark_to_text({-2, 5, -2'147'483'647}), "-4294967.294");
}

TEST(Intervals, StepAlongOneTwoFive) {
    EXPECT_EQ(larger_interval({0, 5, 1}), (interval{0, 2, 1}));
    EXPECT_EQ(smaller_interval({0, 5, 1}), (interval{-1, 1, 1}));
    EXPECT_EQ(larger_interval({0, 1, 3}), (interval{1, 5, 3}));
    for (int d : {1, 2, 5}) {
        interval iv{3, d, -7};
        EXPECT_EQ(smaller_interval(larger_interval(iv)), iv);
        EXPECT_EQ(larger_interval(smaller_interval(iv)), iv);
    }
    EXPECT_FLOAT_EQ(mark_value({1, 5, 3}), 6.0f);
    EXPECT_EQ(mark_value({-1, 1, 3}), static_cast<float>(0.1 * 3));
}

TEST(ZoomFactor, RoundsEveryStep) {
    EXPECT_EQ(zoom_factor(0), 1.0f);
    EXPECT_EQ(zoom_factor(1), 1.2f);
    float f = 1;
    for (int i = 0; i < 3; ++i)
        f = static_cast<float>(f * 1.2);
    EXPECT_EQ(zoom_factor(3), f);
    EXPECT_NEAR(zoom_factor(-3), 0.512, 1e-6);
    EXPECT_EQ(zoom_factor(-2), static_cast<float>(static_cast<float>(0.8) * 0.8));
    // Huge steps end at once and saturate like the unbounded product.
    EXPECT_TRUE(std::isinf(zoom_factor(2'000'000'000)));
    float tiny = 1;
    for (int i = 0; i < 1000; ++i)
        tiny = static_cast<float>(tiny * 0.8);
    EXPECT_EQ(zoom_factor(-2'000'000'000), tiny);
}

TEST(PickColours, RoundTripAndLimits) {
    EXPECT_EQ(id_to_color(-1), (rgb_triple{0, 0, 0}));
    EXPECT_EQ(id_to_color(0), (rgb_triple{0, 0, 1}));
    EXPECT_EQ(color_to_id({0, 0, 0}), -1);
    EXPECT_EQ(id_to_color(0xFFFFFE), (rgb_triple{255, 255, 255}));
    EXPECT_EQ(id_to_color(0x7FFFFFFF), (rgb_triple{255, 255, 255}));
    EXPECT_EQ(color_to_id({255, 255, 255}), 0xFFFFFE);
    for (std::int32_t id = 0; id <= 0xFFFFFD; id += 997)
        EXPECT_EQ(color_to_id(id_to_color(id)), id);
    EXPECT_EQ(color_to_id(id_to_color(0xFFFFFD)), 0xFFFFFD);
    EXPECT_EQ(color_to_rgb(0x12345678), (rgb_triple{0x78, 0x56, 0x34}));
}

TEST(ColumnLetters, OneAndTwoLetters) {
    EXPECT_EQ(column_letters(0), "A");
    EXPECT_EQ(column_letters(25), "Z");
    EXPECT_EQ(column_letters(26), "AA");
    EXPECT_EQ(column_letters(27), "AB");
    EXPECT_EQ(column_letters(701), "ZZ");
}

TEST(PlaneTests, CollinearAndSame) {
    gl_point a{0, 0, 0}, b{1, 1, 0};
    EXPECT_TRUE(collinear_xy(a, b, {2, 2, 5}));
    EXPECT_TRUE(collinear_xy(a, b, {-3, -3, 0}));
    EXPECT_FALSE(collinear_xy(a, b, {1, -1, 0}));
    EXPECT_FALSE(collinear_xy(a, {1, 0, 0}, {1, 0.01f, 0}));
    EXPECT_TRUE(same_xy({1, 2, 3}, {1, 2, 4}));
    EXPECT_FALSE(same_xy({1, 2, 3}, {1, 2.5f, 3}));
}

TEST(TriangleNormal, ClockwiseFacesUp) {
    // Clockwise in x-y (x right, y up): normal points to +z.
    vector_3d n = triangle_normal({0, 1, 0}, {1, 0, 0}, {0, 0, 0});
    EXPECT_FLOAT_EQ(n.x, 0);
    EXPECT_FLOAT_EQ(n.y, 0);
    EXPECT_FLOAT_EQ(n.z, 1);
    vector_3d tilted = triangle_normal({0, 1, 1}, {1, 0, 0}, {0, 0, 0});
    EXPECT_GT(tilted.z, 0);
    EXPECT_NEAR(tilted.x * tilted.x + tilted.y * tilted.y + tilted.z * tilted.z, 1, 1e-6);
    vector_3d flat = triangle_normal({0, 0, 0}, {1, 1, 0}, {2, 2, 0});
    EXPECT_TRUE(std::isnan(flat.z));
}

TEST(TrimToAngleBrackets, Cases) {
    EXPECT_EQ(trim_to_angle_brackets("xx<a>yy"), "<a>");
    EXPECT_EQ(trim_to_angle_brackets("<a>"), "<a>");
    EXPECT_EQ(trim_to_angle_brackets("abc"), "");
    EXPECT_EQ(trim_to_angle_brackets("a>b<c"), "");
    EXPECT_EQ(trim_to_angle_brackets("\xEF\xBB\xBF <r><v val=\"1\"/></r>\r\n"),
              "<r><v val=\"1\"/></r>");
    EXPECT_EQ(trim_to_angle_brackets(""), "");
}
