// The fit scaling: each axis' own range fills -1 .. 1, the marks show data
// values inside that range, and switching back restores the classic field.
#include "graph/datafield.h"
#include "mark_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace tessaline;
using tessaline::test::texts;

namespace {

// Measured data far from zero: X 1000..1010, Y 300..310, Z 20..20.5.
data_points_ offset_grid(int n) {
    data_points_ pts;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double x = 1000 + 10.0 * i / (n - 1), y = 300 + 10.0 * j / (n - 1);
            pts.push_back({x, y, 20 + 0.25 + 0.25 * std::sin(x - 1000) * std::cos(y - 300)});
        }
    return pts;
}

Datafield fitted(const data_points_& pts) {
    Datafield f;
    f.scaling = axis_scaling::fit;
    f.load_points(pts);
    return f;
}

void expect_marks_inside(const marks& list, double scale, double offset) {
    for (size_t i = 1; i < list.size(); ++i) {
        EXPECT_GE(list[i].position, -1.0f - 1e-6f) << list[i].text;
        EXPECT_LE(list[i].position, 1.0f + 1e-6f) << list[i].text;
        // The text names the value that stands at the position.
        EXPECT_NEAR((std::stod(list[i].text) - offset) * scale, list[i].position, 1e-5)
            << list[i].text;
    }
}

} // namespace

TEST(FitScaling, OffsetDataFillTheBoxAndMarksShowTheirValues) {
    const Datafield f = fitted(offset_grid(30));
    EXPECT_DOUBLE_EQ(f.offset_x, 1005);
    EXPECT_DOUBLE_EQ(f.scale_x, 0.2);
    EXPECT_FLOAT_EQ(f.gl_min_x, -1);
    EXPECT_FLOAT_EQ(f.gl_max_x, 1);
    EXPECT_FLOAT_EQ(f.gl_min_y, -1);
    EXPECT_FLOAT_EQ(f.gl_max_y, 1);
    float lo = 1, hi = -1;
    for (const gl_point& p : f.gl_points) {
        lo = std::min(lo, p.z);
        hi = std::max(hi, p.z);
    }
    EXPECT_FLOAT_EQ(lo, -1);
    EXPECT_FLOAT_EQ(hi, 1);
    EXPECT_EQ(texts(f.marks_x),
              (std::vector<std::string>{"1000", "1002", "1004", "1006", "1008", "1010"}));
    EXPECT_EQ(texts(f.marks_y),
              (std::vector<std::string>{"300", "302", "304", "306", "308", "310"}));
    expect_marks_inside(f.marks_x, f.scale_x, f.offset_x);
    expect_marks_inside(f.marks_y, f.scale_y, f.offset_y);
    expect_marks_inside(f.marks_z, f.scale_z, f.offset_z);
    EXPECT_FALSE(f.marks_z.size() < 3);
    EXPECT_GT(f.face_count, 1500);
}

TEST(FitScaling, ShiftAndZoomWorkOnTheRange) {
    Datafield f = fitted(offset_grid(10));
    f.set_shift_marks_x(1);
    EXPECT_EQ(texts(f.marks_x).size(), 11u); // step 1
    f.set_shift_marks_x(-1);
    EXPECT_EQ(texts(f.marks_x), (std::vector<std::string>{"1000", "1005", "1010"}));
    f.set_shift_scale_x(2);
    EXPECT_FLOAT_EQ(f.marks_x[0].position, static_cast<float>(1.3 * zoom_factor(2)));
    EXPECT_FLOAT_EQ(f.marks_x[1].position, static_cast<float>(-1 * zoom_factor(2)));
    EXPECT_FLOAT_EQ(f.marks_x[3].position, static_cast<float>(1 * zoom_factor(2)));
}

TEST(FitScaling, FlatNarrowAndExtremeAxesStayFinite) {
    // A flat axis gets a unit either side; a range too narrow for 32 bits
    // far from zero gets no marks rather than a pile of them; magnitudes
    // near the double range neither overflow nor divide by zero.
    const data_points_ sets[] = {
        {{1, 5, 7}, {2, 5, 7}, {3, 5, 8}},
        {{1e9, 0, 0}, {1e9 + 1e-3, 1, 1}, {1e9, 2, 0}},
        {{-1e308, -1e308, 0}, {1e308, 1e308, 1}, {0, 1e308, -1}},
        {{4.9e-324, 0, 0}, {1e-323, 1, 0}, {0, 0, 1}},
    };
    for (const data_points_& pts : sets) {
        const Datafield f = fitted(pts);
        for (const gl_point& p : f.gl_points) {
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
            // Within the rounding of the centre, one unit in the last place
            // of 1e9 against a half range of 5e-4.
            EXPECT_LE(std::fabs(p.x), 1.001f);
            EXPECT_LE(std::fabs(p.y), 1.001f);
        }
        for (const marks* list : {&f.marks_x, &f.marks_y, &f.marks_z}) {
            EXPECT_LE(list->size(), 2u * max_marks_per_side + 1);
            for (const mark& m : *list)
                EXPECT_TRUE(std::isfinite(m.position));
        }
    }
    const Datafield flat = fitted(sets[0]);
    EXPECT_DOUBLE_EQ(flat.offset_y, 5);
    EXPECT_DOUBLE_EQ(flat.scale_y, 1);
    EXPECT_EQ(texts(flat.marks_y).front(), "4");
    EXPECT_EQ(texts(flat.marks_y).back(), "6");
}

TEST(FitScaling, SwitchingKeepsFacesAndRestoresTheClassicField) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(-3, 7);
    data_points_ pts;
    for (int i = 0; i < 200; ++i)
        pts.push_back({u(rng), u(rng) * 2, u(rng)});
    Datafield classic;
    classic.load_points(pts);
    Datafield f = classic;
    f.set_scaling(axis_scaling::fit);
    EXPECT_EQ(f.faces, classic.faces);
    EXPECT_NE(f.gl_points, classic.gl_points);
    f.set_scaling(axis_scaling::classic);
    f.set_shift_marks_x(0);
    EXPECT_EQ(f.gl_points, classic.gl_points);
    EXPECT_EQ(f.normals, classic.normals);
    EXPECT_EQ(f.offset_x, 0);
    EXPECT_EQ(texts(f.marks_x), texts(classic.marks_x));
}

TEST(FitScaling, OffsetDataGetTheFacesOfTheSameShapeAroundZero) {
    // The faces are built in the scaling's own units: moved away from zero,
    // the same points give the same faces.
    data_points_ centred = offset_grid(12);
    for (data_point& p : centred) {
        p.x -= 1005;
        p.y -= 305;
    }
    EXPECT_EQ(fitted(offset_grid(12)).faces, fitted(centred).faces);
}
