// Pixels of rendered frames: axes, layers, labels, markers, light.
#include "headless_view.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessaline;
using namespace tessaline::test;

namespace {

// Looking straight at the X-Z plane: X to the right, Z up, Y into the screen.
void face_xz_plane(TOpenGLScreen& screen) {
    screen.alpha = 0;
    screen.betta = 270;
}

// Looking down on the X-Y plane: X to the right, Y up.
void look_down(TOpenGLScreen& screen) {
    screen.alpha = 0;
    screen.betta = 0;
}

int count_pixels(const rgb_image& image, rgb_triple colour, int top, int bottom) {
    int n = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* c = image.row(y) + x * 3;
            if (near({c[0], c[1], c[2]}, colour, 60)) ++n;
        }
    return n;
}

// A lattice of points spaced far enough apart that their dots never touch.
data_points_ lattice(int n) {
    data_points_ points;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            points.push_back({-1 + 2.0 * i / (n - 1), -1 + 2.0 * j / (n - 1), 0.1 * (i - j)});
    return points;
}

} // namespace

TEST(FramePixels, AxesShowTheirColoursWhereTheyLie) {
    headless_view view;
    view.render();
    // Between the ends and the origin; an unloaded field has no ticks or labels.
    const auto red = view.at(view.project(0.7f, 0, 0));
    const auto green = view.at(view.project(0, 0.7f, 0));
    const auto blue = view.at(view.project(0, 0, 0.7f));
    EXPECT_GT(red.r, 200);
    EXPECT_LT(std::max(red.g, red.b), red.r - 60);
    EXPECT_GT(green.g, 200);
    EXPECT_LT(std::max(green.r, green.b), green.g - 60);
    EXPECT_GT(blue.b, 200);
    EXPECT_LT(std::max(blue.r, blue.g), blue.b - 60);
    // The arrow heads are drawn outside the axis zoom: after zooming X the
    // red head stands at the new end.
    view.screen.get_space().set_axis_zoom(-3, 0, 0); // 0.512
    view.render();
    const auto head = view.at(view.project(1.2f - 0.02f / 0.512f, 0, 0));
    EXPECT_GT(head.r, 200);
    EXPECT_LT(head.g, 100);
}

TEST(FramePixels, EmptyDataFieldDrawsOnlyTheFrame) {
    headless_view view;
    view.field.load_points({});
    space& s = view.screen.get_space();
    s.set_graph_mode(false, false, false);
    view.render();
    const rgb_image frame_only = view.frame;
    s.set_graph_mode(true, true, true);
    s.select_point(0);
    s.hover_point(0);
    view.render();
    EXPECT_EQ(view.frame.pixels, frame_only.pixels);
    // The frame of an empty point set still has its marks 1 .. 10 labelled.
    EXPECT_GT(count_pixels(frame_only, {0, 0, 0}, 0, frame_only.height), 500);
}

TEST(FramePixels, LabelsFollowTheirFlags) {
    headless_view view;
    // Only X has marks: Y and Z are all zero; no captions.
    view.field.load_points({{-2, 0, 0}, {2, 0, 0}});
    view.field.set_captions("", "", "");
    face_xz_plane(view.screen);
    space& s = view.screen.get_space();
    s.set_graph_mode(false, false, false);
    const rgb_triple magenta{255, 0, 255};
    s.set_font_color(magenta);
    const int axis_row = view.project(0, 0, 0).y;

    view.render();
    const int below = count_pixels(view.frame, magenta, axis_row + 1, view.frame.height);
    const int above = count_pixels(view.frame, magenta, 0, axis_row);
    EXPECT_GT(below, 300);
    EXPECT_EQ(above, 0);

    s.set_t_shift(true, false, false);
    view.render();
    EXPECT_EQ(count_pixels(view.frame, magenta, axis_row + 1, view.frame.height), 0);
    EXPECT_NEAR(count_pixels(view.frame, magenta, 0, axis_row), below, below / 5);

    // Turned flat into the X-Y plane, the labels are seen edge on: a thin
    // line along the axis.
    s.set_t_shift(false, false, false);
    s.set_t_turn(true, false, false);
    view.render();
    EXPECT_EQ(count_pixels(view.frame, magenta, 0, axis_row - 2), 0);
    EXPECT_EQ(count_pixels(view.frame, magenta, axis_row + 3, view.frame.height), 0);

    // Mirrored and overturned together they only stand upside down, in
    // the same band below the axis.
    s.set_t_turn(false, false, false);
    s.set_t_inv(true, false, false);
    s.set_t_overturn(true, false, false);
    view.render();
    EXPECT_EQ(count_pixels(view.frame, magenta, 0, axis_row), 0);
    EXPECT_NEAR(count_pixels(view.frame, magenta, axis_row + 1, view.frame.height), below,
                below / 5);
}

TEST(FramePixels, ZLabelsKeepTheirBandWhenMirroredOrOverturned) {
    headless_view view;
    view.field.load_points({{0, 0, -2}, {0, 0, 2}});
    view.field.set_captions("", "", "");
    // Facing the Y-Z plane: Y to the right, Z up.
    view.screen.alpha = 270;
    view.screen.betta = 270;
    space& s = view.screen.get_space();
    s.set_graph_mode(false, false, false);
    const rgb_triple magenta{255, 0, 255};
    s.set_font_color(magenta);
    const int axis_column = view.project(0, 0, 0).x;
    const auto left_and_right = [&] {
        view.render();
        int left = 0, right = 0;
        for (int y = 0; y < view.frame.height; ++y)
            for (int x = 0; x < view.frame.width; ++x)
                if (near(view.at({x, y}), magenta, 60)) ++(x < axis_column ? left : right);
        return std::pair{left, right};
    };
    const auto plain = left_and_right();
    ASSERT_GT(plain.first + plain.second, 300);
    for (const auto& [inv, overturn] : {std::pair{true, false}, {false, true}, {true, true}}) {
        s.set_t_inv(false, false, inv);
        s.set_t_overturn(false, false, overturn);
        const auto flagged = left_and_right();
        // All on the same side of the axis as without flags.
        EXPECT_EQ(flagged.first == 0, plain.first == 0) << inv << overturn;
        EXPECT_EQ(flagged.second == 0, plain.second == 0) << inv << overturn;
    }
}

TEST(FramePixels, MarkersShowTheSelectedAndHoveredPoints) {
    headless_view view;
    view.field.load_points(lattice(3));
    space& s = view.screen.get_space();
    s.set_graph_mode(true, false, false);
    s.select_point(4);
    s.hover_point(0);
    view.render();
    const gl_point& sel = view.field.gl_points[4];
    const gl_point& hov = view.field.gl_points[0];
    const gl_point& other = view.field.gl_points[8];
    const rgb_triple marker{10, 100, 255};
    EXPECT_TRUE(near(view.at(view.project(sel.x, sel.y, sel.z)), marker, 3));
    EXPECT_TRUE(near(view.at(view.project(hov.x, hov.y, hov.z)), marker, 3));
    EXPECT_TRUE(near(view.at(view.project(other.x, other.y, other.z)), {0, 0, 0}, 3));
    EXPECT_EQ(s.point_label_text(4), "p5 (x: 0, y: 0, z: 0)");

    // The selection is kept but not drawn while the points are off.
    s.set_graph_mode(false, false, false);
    view.render();
    EXPECT_EQ(s.selected_point_id, 4);
    EXPECT_FALSE(near(view.at(view.project(sel.x, sel.y, sel.z)), marker, 40));
}

TEST(FramePixels, FaceTurnedToTheLightIsBrighter) {
    headless_view view;
    // Two faces with normal +z (clockwise in x-y) and one with -z: the mean
    // normal, and so the light, points up.
    view.field.load_graph({{-0.9, -0.5, 0},
                           {-0.9, 0.5, 0},
                           {-0.1, -0.5, 0},
                           {0.1, -0.5, 0},
                           {0.1, 0.5, 0},
                           {0.9, -0.5, 0},
                           {-0.9, 1, 1},
                           {-0.9, 1.5, 1},
                           {-0.1, 1, 1}},
                          {{0, 1, 2}, {3, 5, 4}, {6, 7, 8}});
    look_down(view.screen);
    view.screen.get_space().set_graph_mode(false, false, true);
    view.render();
    const auto sx = static_cast<float>(view.field.scale_x);
    const auto sy = static_cast<float>(view.field.scale_y);
    const rgb_triple lit = view.at(view.project(-0.6f * sx, -0.2f * sy, 0));
    const rgb_triple away = view.at(view.project(0.4f * sx, -0.2f * sy, 0));
    EXPECT_GT(lit.r, 150);
    EXPECT_LT(away.r, 30); // only the ambient part, 0.04
    EXPECT_EQ(lit.r, lit.g);
    EXPECT_EQ(lit.g, lit.b);
}

TEST(FramePixels, EveryFrameAlikeWhateverWasDrawnBefore) {
    headless_view view;
    view.field.load_points(lattice(6));
    space& s = view.screen.get_space();
    s.set_graph_mode(true, true, false);
    view.render();
    const rgb_image first = view.frame;
    s.set_graph_mode(true, true, true);
    view.render();
    s.set_graph_mode(true, true, false);
    view.render();
    EXPECT_EQ(view.frame.pixels, first.pixels);
}

TEST(FramePixels, VertexArraysDrawTheSamePictureAsSingleVertices) {
    headless_view view;
    view.field.load_points(lattice(12));
    space& s = view.screen.get_space();
    s.set_graph_mode(true, true, true);
    s.select_point(7);
    s.hover_point(30);
    view.render();
    const rgb_image arrays = view.frame;
    s.use_vertex_arrays = false;
    view.render();
    EXPECT_EQ(view.frame.pixels, arrays.pixels);
    // Reloaded data reaches the arrays.
    s.use_vertex_arrays = true;
    view.field.load_points(lattice(5));
    view.render();
    const rgb_image reloaded = view.frame;
    s.use_vertex_arrays = false;
    view.render();
    EXPECT_EQ(view.frame.pixels, reloaded.pixels);
}

namespace {

// The box around the pixels of the label frames' green.
struct green_box {
    int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1, count = 0;
};

// Right of `from`, where the Y axis seen end-on is out of the way.
green_box label_frames(const headless_view& view, int from) {
    green_box b;
    for (int y = 0; y < view.size().height; ++y)
        for (int x = from; x < view.size().width; ++x) {
            const rgb_triple c = view.at({x, y});
            // The frames' (0, 200, 0), not the Y axis' (0, 255, 0).
            if (!near(c, {0, 200, 0}, 20)) continue;
            b.x0 = std::min(b.x0, x);
            b.x1 = std::max(b.x1, x);
            b.y0 = std::min(b.y0, y);
            b.y1 = std::max(b.y1, y);
            ++b.count;
        }
    return b;
}

} // namespace

TEST(FramePixels, PointLabelsStayInsideTheViewAndApart) {
    headless_view view;
    // Two points close together at the right edge of the view.
    view.field.load_graph({{0, 0, 0}, {1, 0, 0}, {0.98, 0.02, 0}, {-1, 1, 1}}, {});
    space& s = view.screen.get_space();
    s.set_graph_mode(true, false, false);
    view.screen.alpha = 0;
    view.screen.betta = 0;
    view.screen.radius = 8;
    s.select_point(1);
    view.render();
    const pixel p = view.project(1, 0, 0);
    const int right_of_y_axis = view.project(0, 0, 0).x + 5;
    ASSERT_LT(p.x, view.size().width);
    ASSERT_GT(p.x, view.size().width * 3 / 4);
    const green_box one = label_frames(view, right_of_y_axis);
    ASSERT_GT(one.count, 50);
    EXPECT_LT(one.x1, view.size().width - 1); // the whole frame is in the view
    EXPECT_LT(one.x1, p.x);                   // so it stands left of its point

    // A second label at a point close by moves off the first: together their
    // frames take about twice the height of one.
    s.hover_point(2);
    view.render();
    const green_box two = label_frames(view, right_of_y_axis);
    EXPECT_GT(two.y1 - two.y0, (one.y1 - one.y0) * 19 / 10);
    EXPECT_LT(two.x1, view.size().width - 1);
}

TEST(FramePixels, FramesWhileTheCameraMovesDrawLessButTheSameShape) {
    headless_view view;
    data_points_ pts;
    for (int i = 0; i < 120; ++i)
        for (int j = 0; j < 120; ++j)
            pts.push_back({i / 119.0, j / 119.0, std::sin(i / 20.0) * std::cos(j / 25.0)});
    view.field.load_points(pts);
    space& s = view.screen.get_space();
    s.set_graph_mode(true, true, true);
    view.screen.frame_view();
    view.render();
    const rgb_image whole = view.frame;
    const auto dark = [](const rgb_image& image, int& x0, int& x1) {
        int n = 0;
        x0 = image.width;
        x1 = -1;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const std::uint8_t* c = image.row(y) + x * 3;
                if (c[0] < 60 && c[1] < 60 && c[2] < 60) {
                    ++n;
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                }
            }
        return n;
    };
    int wx0 = 0, wx1 = 0;
    const int whole_dark = dark(whole, wx0, wx1);

    // A target no frame can meet drives the share drawn down frame by frame.
    view.screen.target_drag_ms = 0.001f;
    view.screen.set_interacting(true);
    for (int i = 0; i < 4; ++i)
        view.render();
    int rx0 = 0, rx1 = 0;
    const int reduced_dark = dark(view.frame, rx0, rx1);
    EXPECT_LT(reduced_dark, whole_dark / 2);
    EXPECT_GT(reduced_dark, 0);
    // The graph still spans the same width.
    EXPECT_NEAR(rx0, wx0, (wx1 - wx0) / 10);
    EXPECT_NEAR(rx1, wx1, (wx1 - wx0) / 10);
    // Picking still sees every point.
    EXPECT_NE(view.screen.pick_point(view.size().width / 2, view.size().height / 2), -1);

    // Once the camera rests the frame is whole again, pixel for pixel.
    view.screen.set_interacting(false);
    view.render();
    EXPECT_EQ(view.frame.pixels, whole.pixels);
}

TEST(FramePixels, BufferObjectsDrawTheSamePictureAsClientArrays) {
    headless_view view;
    space& s = view.screen.get_space();
    ASSERT_TRUE(buffer_objects_available()) << "Mesa offers buffer objects";
    view.field.load_points(lattice(12));
    s.set_graph_mode(true, true, true);
    s.select_point(7);
    s.hover_point(30);
    const auto both = [&] {
        const gl_point& p = view.field.gl_points[3];
        const pixel at = view.project(p.x, p.y, p.z);
        std::int32_t picked[2] = {};
        rgb_image frames[2];
        for (int k = 0; k < 2; ++k) {
            s.use_buffer_objects = k == 0;
            view.render();
            frames[k] = view.frame;
            view.screen.render(GL_SELECT); // the id picture drawn anew either way
            picked[k] = view.screen.pick_point(at.x, at.y);
        }
        EXPECT_EQ(frames[0].pixels, frames[1].pixels);
        EXPECT_EQ(picked[0], picked[1]);
        EXPECT_EQ(picked[0], view.field.point_shown(3) ? 3 : background_id);
        s.use_buffer_objects = true;
    };
    both();
    // New data replace what the buffers hold; so do axis limits.
    view.field.load_points(lattice(5));
    both();
    view.field.set_limits({0, std::nullopt}, {}, {});
    both();
}
