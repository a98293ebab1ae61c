// Picking through the id picture, and the camera's navigation.
#include "headless_view.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace tessaline;
using namespace tessaline::test;

namespace {

data_points_ lattice(int n) {
    data_points_ points;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            points.push_back({-1 + 2.0 * i / (n - 1), -1 + 2.0 * j / (n - 1), 0.3 * (i - j)});
    return points;
}

// Every point is picked at the pixel its centre projects to.
void expect_every_point_picked(headless_view& view) {
    for (std::size_t id = 0; id < view.field.gl_points.size(); ++id) {
        const gl_point& p = view.field.gl_points[id];
        const pixel at = view.project(p.x, p.y, p.z);
        EXPECT_EQ(view.screen.pick_point(at.x, at.y), static_cast<std::int32_t>(id))
            << "at " << at.x << "," << at.y;
    }
}

} // namespace

TEST(Picking, EveryPointAtItsPixelAndBackgroundElsewhere) {
    headless_view view;
    view.field.load_points(lattice(5));
    expect_every_point_picked(view);
    EXPECT_EQ(view.screen.pick_point(0, 0), background_id);
    EXPECT_EQ(view.screen.pick_point(view.size().width - 1, view.size().height - 1), background_id);
    // Off the surface there is nothing to pick.
    EXPECT_EQ(view.screen.pick_point(-1, 5), background_id);
    EXPECT_EQ(view.screen.pick_point(5, view.size().height), background_id);
}

TEST(Picking, KeptIdPictureFollowsEverythingThatMovesThePoints) {
    headless_view view;
    view.field.load_points(lattice(4));
    space& s = view.screen.get_space();
    expect_every_point_picked(view);

    view.screen.alpha += 30;
    view.screen.betta += 20;
    expect_every_point_picked(view);

    view.screen.radius = 14;
    view.screen.move_a = 0.1f;
    expect_every_point_picked(view);

    for (const auto& [x, y, z] : {std::tuple{-2, 0, 0}, {-2, 1, 0}, {-2, 1, -1}}) {
        s.set_axis_zoom(x, y, z);
        expect_every_point_picked(view);
    }

    view.field.load_points(lattice(3));
    expect_every_point_picked(view);

    // A point hidden from the id picture by a smaller dot is found again
    // when the dots grow.
    const gl_point& p = view.field.gl_points[0];
    const pixel centre = view.project(p.x, p.y, p.z);
    s.set_point_size(1);
    EXPECT_EQ(view.screen.pick_point(centre.x + 3, centre.y), background_id);
    s.set_point_size(9);
    EXPECT_EQ(view.screen.pick_point(centre.x + 3, centre.y), 0);
}

TEST(Picking, NothingIsPickedWithThePointsOff) {
    headless_view view;
    view.field.load_points(lattice(4));
    view.screen.get_space().set_graph_mode(false, true, true);
    for (const gl_point& p : view.field.gl_points) {
        const pixel at = view.project(p.x, p.y, p.z);
        EXPECT_EQ(view.screen.pick_point(at.x, at.y), background_id);
    }
}

TEST(Picking, HoverAskForAFrameOnlyWhenThePointChanges) {
    headless_view view;
    view.field.load_points(lattice(3));
    space& s = view.screen.get_space();
    const gl_point& p = view.field.gl_points[2];
    const pixel at = view.project(p.x, p.y, p.z);
    EXPECT_TRUE(view.screen.hover_at(at.x, at.y));
    EXPECT_EQ(s.hover_point_id, 2);
    EXPECT_FALSE(view.screen.hover_at(at.x + 1, at.y));
    EXPECT_TRUE(view.screen.hover_at(0, 0));
    EXPECT_EQ(s.hover_point_id, -1);
    EXPECT_FALSE(view.screen.hover_at(1, 0));
}

TEST(Picking, SelectAndHoverTrustNoId) {
    headless_view view;
    view.field.load_points(lattice(3)); // 9 points
    space& s = view.screen.get_space();
    s.select_point(4);
    s.select_point(9);
    EXPECT_EQ(s.selected_point_id, 4);
    s.select_point(background_id);
    EXPECT_EQ(s.selected_point_id, 4);
    s.select_point(-1);
    EXPECT_EQ(s.selected_point_id, -1);
    s.hover_point(8);
    EXPECT_EQ(s.hover_point_id, 8);
    s.hover_point(9);
    EXPECT_EQ(s.hover_point_id, -1);
    // An id written directly (as a graph file does) that names no point
    // draws no label and does no harm.
    s.selected_point_id = 1000;
    view.render();
    EXPECT_EQ(s.point_label_text(1000), "");
}

TEST(Camera, DragAndZoomByMode) {
    headless_view view;
    TOpenGLScreen& screen = view.screen;

    // 900 pixels to the right in rotate mode: a full turn, not wrapped.
    screen.drag(4 * -900.0f, 0);
    EXPECT_FLOAT_EQ(screen.alpha, 675);
    screen.drag(0, 4 * 100.0f);
    EXPECT_FLOAT_EQ(screen.betta, 355);

    screen.set_mode_move();
    screen.drag(4 * -10.0f, 4 * 5.0f);
    EXPECT_NEAR(screen.move_a, 0.04f, 1e-6);
    EXPECT_NEAR(screen.move_b, -0.02f, 1e-6);

    // Zoom mode: 75 pixels down doubles the distance, only vertical motion counts.
    screen.set_mode_zoom();
    screen.drag(4 * 30.0f, 4 * 75.0f);
    EXPECT_FLOAT_EQ(screen.radius, 20);
    screen.drag(0, 4 * -75.0f);
    EXPECT_FLOAT_EQ(screen.radius, 0.2f);

    screen.radius = 299;
    screen.zoom(7);
    EXPECT_FLOAT_EQ(screen.radius, 300);
    screen.radius = 0.2f;
    screen.zoom(-7);
    EXPECT_FLOAT_EQ(screen.radius, 0.2f);
    screen.radius = 10;
    screen.zoom(7);
    EXPECT_NEAR(screen.radius, 10 * (1 + 7.0f / 300), 1e-5);

    screen.reset_view();
    EXPECT_EQ(screen.alpha, 315);
    EXPECT_EQ(screen.betta, 315);
    EXPECT_EQ(screen.radius, 10);
    EXPECT_EQ(screen.move_a, 0);
    EXPECT_EQ(screen.move_b, 0);
    EXPECT_EQ(screen.mode, nav_zoom);
}
