// Axis limits: the axis spans them in either scaling, points beyond are not
// shown, faces with such a corner neither, and clearing them restores all.
#include "graph/datafield.h"
#include "mark_texts.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tessaline;
using tessaline::test::texts;

namespace {

Datafield ramp(axis_scaling scaling) {
    data_points_ pts;
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 4; ++j)
            pts.push_back({1000.0 + i, 300.0 + j, 0.1 * i});
    Datafield f;
    f.scaling = scaling;
    f.load_points(pts);
    return f;
}

int shown_count(const Datafield& f) {
    int n = 0;
    for (std::int32_t id = 0; id < f.point_count; ++id)
        n += f.point_shown(id);
    return n;
}

} // namespace

TEST(AxisLimits, FitScalingSpansTheLimitsAndHidesWhatLiesBeyond) {
    Datafield f = ramp(axis_scaling::fit);
    EXPECT_TRUE(f.shown.empty());
    f.set_limits({1002, 1006}, {}, {});
    f.set_shift_marks_x(0);
    EXPECT_DOUBLE_EQ(f.offset_x, 1004);
    EXPECT_DOUBLE_EQ(f.scale_x, 0.5);
    EXPECT_EQ(texts(f.marks_x).front(), "1002");
    EXPECT_EQ(texts(f.marks_x).back(), "1006");
    EXPECT_EQ(shown_count(f), 5 * 5); // x 1002 .. 1006, bounds included
    for (std::int32_t id = 0; id < f.point_count; ++id) {
        const double x = f.points[static_cast<size_t>(id)].x;
        EXPECT_EQ(f.point_shown(id), x >= 1002 && x <= 1006) << x;
        if (f.point_shown(id)) {
            EXPECT_LE(std::fabs(f.gl_points[static_cast<size_t>(id)].x), 1.0f);
        }
    }
    int faces_shown = 0;
    for (const triangle& t : f.faces) {
        faces_shown += f.face_shown(t);
        if (!f.face_shown(t)) continue;
        for (std::int32_t id : {t.p0, t.p1, t.p2})
            EXPECT_TRUE(f.point_shown(id));
    }
    EXPECT_GT(faces_shown, 0);
    EXPECT_LT(faces_shown, f.face_count);

    // An open side takes the data's own bound; one past the data's other
    // bound still makes a range.
    f.set_limits({std::nullopt, 1003}, {}, {0.5, std::nullopt});
    EXPECT_DOUBLE_EQ(f.offset_x, 1001.5);
    EXPECT_EQ(shown_count(f), 0); // x <= 1003 and z >= 0.5 meet nowhere
    f.set_limits({1020, std::nullopt}, {}, {});
    EXPECT_DOUBLE_EQ(f.offset_x, 1015);
    EXPECT_EQ(shown_count(f), 0);
}

TEST(AxisLimits, ClassicScalingUsesTheLimitsMagnitude) {
    Datafield f = ramp(axis_scaling::classic);
    const gl_points_ before = f.gl_points;
    f.set_limits({}, {}, {std::nullopt, 0.5});
    f.set_shift_marks_z(0);
    EXPECT_DOUBLE_EQ(f.scale_z, 2);
    EXPECT_EQ(texts(f.marks_z).front(), "0.1");
    EXPECT_EQ(texts(f.marks_z)[4], "0.5");
    EXPECT_EQ(shown_count(f), 6 * 5);

    f.set_limits({}, {}, {});
    f.set_shift_marks_z(0);
    EXPECT_TRUE(f.shown.empty());
    EXPECT_EQ(f.gl_points, before);
    EXPECT_EQ(shown_count(f), f.point_count);
}
