#include "graph/datafield.h"
#include "mark_texts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

using namespace tessaline;
using tessaline::test::texts;

namespace {
data_points_ column_x(std::initializer_list<double> xs) {
    data_points_ pts;
    double y = 0;
    for (double x : xs)
        pts.push_back({x, y += 1, y * y});
    return pts;
}
} // namespace

TEST(Datafield, WorkedExampleMinusThreeToSevenAndAHalf) {
    Datafield f;
    f.load_points(column_x({-3, 7.5, 0, 2}));
    EXPECT_DOUBLE_EQ(f.scale_x, 1 / 7.5);
    EXPECT_EQ(Datafield::default_interval(7.5, -3), (interval{0, 1, 1}));
    EXPECT_EQ(texts(f.marks_x), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "-1",
                                                          "-2", "-3", "-4", "-5", "-6", "-7"}));
    EXPECT_EQ(f.marks_x[1].position, static_cast<float>(1.0f * (1 / 7.5)));
    EXPECT_EQ(f.marks_x[0].text, "X");
    EXPECT_EQ(f.marks_x[0].position, 1.3f);

    f.set_shift_marks_x(1);
    auto t = texts(f.marks_x);
    ASSERT_EQ(t.size(), 30u);
    EXPECT_EQ(t[0], "0.5");
    EXPECT_EQ(t[14], "7.5");
    EXPECT_EQ(t[15], "-0.5");
    f.set_shift_marks_x(-1);
    EXPECT_EQ(texts(f.marks_x), (std::vector<std::string>{"2", "4", "6", "-2", "-4", "-6"}));
}

TEST(Datafield, DefaultIntervals) {
    EXPECT_EQ(Datafield::default_interval(1, 0), (interval{0, 5, 1}));    // 0.2
    EXPECT_EQ(Datafield::default_interval(10, 0), (interval{0, 1, 1}));   // 1
    EXPECT_EQ(Datafield::default_interval(3, -1), (interval{0, 2, 1}));   // 0.5
    EXPECT_EQ(Datafield::default_interval(0.5, 0), (interval{-1, 1, 1})); // 0.1
    EXPECT_EQ(Datafield::default_interval(-5, -20), (interval{1, 2, 1})); // 5
    EXPECT_EQ(Datafield::default_interval(0, 0), (interval{0, 1, 1}));
}

TEST(Datafield, NegativeOnlyAxis) {
    Datafield f;
    f.load_points(column_x({-20, -5, -12}));
    EXPECT_DOUBLE_EQ(f.scale_x, 0.05);
    EXPECT_EQ(f.gl_min_x, -1.0f);
    EXPECT_EQ(f.gl_max_x, static_cast<float>(0.05 * -5));
    EXPECT_EQ(texts(f.marks_x),
              (std::vector<std::string>{"5", "10", "15", "20", "-5", "-10", "-15", "-20"}));
}

TEST(Datafield, EmptyAndDegenerateLoads) {
    Datafield f;
    f.load_points({});
    EXPECT_EQ(f.max_x, 10);
    EXPECT_EQ(f.min_y, 0);
    EXPECT_DOUBLE_EQ(f.scale_z, 0.1);
    EXPECT_EQ(f.gl_max_x, 1.0f);
    EXPECT_EQ(f.face_count, 0);
    EXPECT_EQ(f.marks_x.size(), 21u);
    EXPECT_FALSE(std::isfinite(f.mean_normal.z));

    f.load_points({{0, 1, 0}, {0, 2, 0}, {0, 3, 0}});
    EXPECT_EQ(f.scale_x, 1);
    EXPECT_EQ(f.marks_x.size(), 1u); // only the caption
    EXPECT_EQ(f.face_count, 0);

    f.load_points({{4, -2, 9}});
    EXPECT_EQ(f.max_x, 4);
    EXPECT_EQ(f.min_x, 4);
    EXPECT_EQ(f.marks_y.size(), 1 + 2 * (f.marks_y.size() / 2));
    EXPECT_EQ(f.point_count, 1);
}

TEST(Datafield, ExtremeMagnitudesEndQuickly) {
    for (double v : {1e300, 1e-300, 5e-324, 1.7e308}) {
        Datafield f;
        f.load_points({{v, -v, v}, {v / 2, v, 0}, {0, 0, v}});
        EXPECT_LE(f.marks_x.size(), 2u * max_marks_per_side + 1) << v;
        for (int s : {-2'000'000'000, 2'000'000'000}) {
            f.set_shift_marks_y(s);
            f.set_shift_scale_y(s);
        }
    }
}

TEST(Datafield, HugeShiftsAreCapped) {
    Datafield f;
    f.load_points(column_x({-3, 7.5, 1}));
    f.set_shift_marks_x(2'000'000'000);
    EXPECT_LE(f.marks_x.size(), 4001u);
    f.set_shift_marks_x(max_interval_shift);
    const auto capped = f.marks_x.size();
    f.set_shift_marks_x(max_interval_shift + 1);
    EXPECT_EQ(f.marks_x.size(), capped);
    f.set_shift_marks_x(-2'000'000'000);
    EXPECT_EQ(f.marks_x.size(), 1u);
}

TEST(Datafield, ZoomReplacesMarksAndCaption) {
    Datafield f;
    f.load_points(column_x({-3, 7.5, 1}));
    f.set_shift_marks_x(1);
    const marks before = f.marks_x;
    f.set_shift_scale_x(2);
    const float z = zoom_factor(2);
    EXPECT_EQ(f.marks_x[0].position, static_cast<float>(1.3 * z));
    for (size_t i = 1; i < before.size(); ++i)
        EXPECT_EQ(f.marks_x[i].position,
                  static_cast<float>(static_cast<double>(mark_value(before[i])) * f.scale_x * z));
    f.set_captions("a", "b", "c");
    EXPECT_EQ(f.marks_x[0].position, 1.3f);
    EXPECT_EQ(f.marks_z[0].text, "c");
}

TEST(Datafield, NormalsFaceUpAndMeanIsUnit) {
    Datafield f;
    data_points_ pts;
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j)
            pts.push_back({i * 1.0, j * 1.0, 0.1 * i});
    f.load_points(pts);
    ASSERT_GT(f.face_count, 100);
    ASSERT_EQ(f.normals.size(), f.faces.size());
    for (const auto& n : f.normals)
        EXPECT_GT(n.z, 0);
    const auto& m = f.mean_normal;
    EXPECT_NEAR(m.x * m.x + m.y * m.y + m.z * m.z, 1, 1e-5);
    for (const auto& t : f.faces) {
        EXPECT_LT(t.p0, f.point_count);
        EXPECT_GE(std::min({t.p0, t.p1, t.p2}), 0);
    }
}

TEST(Datafield, LoadGraphKeepsGivenFaces) {
    Datafield f;
    f.load_graph({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{2, 1, 0}, {0, 1, 2}});
    EXPECT_EQ(f.face_count, 2);
    EXPECT_EQ(f.faces[1], (triangle{0, 1, 2}));
    EXPECT_LT(f.normals[1].z, 0);
    f.load_graph({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {});
    EXPECT_EQ(f.face_count, 0);
}

TEST(Datafield, DegenerateImportsGiveSaneFields) {
    struct load {
        const char* what;
        data_points_ points;
    } loads[] = {
        {"two points", {{1, 2, 3}, {4, 5, 6}}},
        {"all equal", data_points_(500, {2, 2, 2})},
        {"same x-y, other z", {{1, 1, 0}, {1, 1, 1}, {2, 2, 0}, {2, 2, 5}, {1, 1, 9}}},
        {"x all zero", {{0, 1, 2}, {0, 3, 1}, {0, -2, 4}, {0, 5, 5}}},
        {"z all zero", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}},
        {"huge", {{1e300, -1e300, 1e300}, {-1e300, 1e300, 0}, {0, 0, -1e300}, {5e299, 5e299, 1}}},
        {"tiny", {{1e-300, 0, 1e-300}, {0, 1e-300, 0}, {-1e-300, -1e-300, 2e-300}}},
        {"extremes", {{1.7e308, -1.7e308, 0}, {-1.7e308, 1.7e308, 1}, {1, 2, 3}}},
    };
    for (const auto& l : loads) {
        Datafield f;
        f.load_points(l.points);
        EXPECT_EQ(f.gl_points.size(), l.points.size()) << l.what;
        for (const auto& p : f.gl_points) {
            EXPECT_LE(std::fabs(p.x), 1.0f) << l.what;
            EXPECT_LE(std::fabs(p.y), 1.0f) << l.what;
        }
        for (const auto& t : f.faces)
            EXPECT_TRUE(t.p0 >= 0 && t.p0 < f.point_count && t.p1 < f.point_count &&
                        t.p2 < f.point_count)
                << l.what;
        EXPECT_GE(f.marks_x.size(), 1u) << l.what;
        EXPECT_LE(f.marks_x.size(), 2u * max_marks_per_side + 1) << l.what;
    }
}
