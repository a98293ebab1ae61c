#include "graph/datafield.h"
#include "graph/poligondef.h"
#include "reference/reference_poligondef.h"

#include "base/work_stopped.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace tessaline;

namespace {
triangles build(const gl_points_& pts) {
    float x0 = pts.empty() ? 0 : pts[0].x, x1 = x0, y0 = pts.empty() ? 0 : pts[0].y, y1 = y0;
    for (const auto& p : pts) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    poligondef b(static_cast<std::int32_t>(pts.size()), pts, x1, x0, y1, y0);
    b.run();
    triangles fast = b.get_triangles();
    reference::poligondef r(static_cast<std::int32_t>(pts.size()), pts, x1, x0, y1, y0);
    r.run();
    EXPECT_EQ(fast, r.get_triangles());
    return fast;
}
} // namespace

TEST(Poligondef, RightTriangleIsStoredClockwise) {
    EXPECT_EQ(build({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), (triangles{{2, 1, 0}}));
}

TEST(Poligondef, SquareSharesItsDiagonal) {
    EXPECT_EQ(build({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}),
              (triangles{{2, 0, 3}, {0, 2, 1}}));
}

TEST(Poligondef, NoFacesForDegenerateSets) {
    EXPECT_TRUE(build({}).empty());
    EXPECT_TRUE(build({{0, 0, 0}}).empty());
    EXPECT_TRUE(build({{0, 0, 0}, {1, 1, 0}}).empty());
    // Two distinct x-y positions, whatever z.
    EXPECT_TRUE(build({{0, 0, 0}, {0, 0, 1}, {1, 1, 0}, {1, 1, 2}, {0, 0, 3}}).empty());
    // All on one line.
    gl_points_ line;
    for (int i = 0; i < 50; ++i)
        line.push_back({i * 0.02f, i * 0.01f, 0});
    EXPECT_TRUE(build(line).empty());
    EXPECT_TRUE(build(gl_points_(10, {0.5f, 0.5f, 1})).empty());
}

TEST(Poligondef, SameXYIsNeverJoined) {
    gl_points_ pts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 5}, {1, 1, -5}};
    for (const triangle& t : build(pts)) {
        EXPECT_FALSE(same_xy(pts[t.p0], pts[t.p1]));
        EXPECT_FALSE(same_xy(pts[t.p1], pts[t.p2]));
        EXPECT_FALSE(same_xy(pts[t.p2], pts[t.p0]));
    }
}

TEST(Poligondef, PointOnAnEdgeExtensionIsNotChosen) {
    // (2, 0) lies on the line through (0, 0) and (1, 0).
    triangles faces = build({{0, 0, 0}, {1, 0, 0}, {0.5f, 1, 0}, {2, 0, 0}});
    for (const triangle& t : faces) {
        const bool has0 = t.p0 == 0 || t.p1 == 0 || t.p2 == 0;
        const bool has1 = t.p0 == 1 || t.p1 == 1 || t.p2 == 1;
        const bool has3 = t.p0 == 3 || t.p1 == 3 || t.p2 == 3;
        EXPECT_FALSE(has0 && has1 && has3);
    }
}

// A stop leaves by work_stopped, also with the helper thread at work, and a
// field that was being filled is not half built from the caller's view.
TEST(Poligondef, StopsWhenAsked) {
    gl_points_ pts;
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / (1 << 24);
    };
    for (int i = 0; i < 200000; ++i)
        pts.push_back({next(), next(), 0});
    std::stop_source asked;
    asked.request_stop();
    poligondef early(static_cast<std::int32_t>(pts.size()), pts, 1, 0, 1, 0);
    EXPECT_THROW(early.run(asked.get_token()), work_stopped);

    std::stop_source later;
    poligondef busy(static_cast<std::int32_t>(pts.size()), pts, 1, 0, 1, 0);
    busy.set_helper_threshold(1000);
    std::thread stopper([&later] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        later.request_stop();
    });
    EXPECT_THROW(busy.run(later.get_token()), work_stopped);
    stopper.join();

    Datafield field;
    EXPECT_THROW(field.load_points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, asked.get_token()),
                 work_stopped);
}
