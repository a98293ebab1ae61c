// Colour by height in rendered frames: the map's hues where the heights
// are, the lit underside, the colour bar and its marks, picking unchanged;
// and the corners the faces are drawn from.
#include "headless_view.h"
#include "view/graph_arrays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace tessaline;
using namespace tessaline::test;

namespace {

// A plane rising along X, z = 0.4 x, on a grid: low at the left, high at
// the right when looked down on.
data_points_ ramp(int n) {
    data_points_ points;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double x = -1 + 2.0 * i / (n - 1), y = -1 + 2.0 * j / (n - 1);
            points.push_back({x, y, 0.4 * x + 0.01 * ((i * 7 + j * 3) % 5)});
        }
    return points;
}

struct hue_count {
    int purple = 0, yellow = 0;
    double purple_x = 0, yellow_x = 0; // mean columns
};

// Viridis' low end is purple, its high end yellow; grey faces are neither.
hue_count count_hues(const rgb_image& image) {
    hue_count n;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* c = image.row(y) + x * 3;
            if (c[0] > c[1] + 30 && c[2] > c[1] + 30) {
                ++n.purple;
                n.purple_x += x;
            }
            if (c[0] > 150 && c[1] > 150 && c[2] + 80 < c[1]) {
                ++n.yellow;
                n.yellow_x += x;
            }
        }
    if (n.purple) n.purple_x /= n.purple;
    if (n.yellow) n.yellow_x /= n.yellow;
    return n;
}

double mean_light(const rgb_image& image, int x0, int y0, int half) {
    double sum = 0;
    int n = 0;
    for (int y = y0 - half; y <= y0 + half; ++y)
        for (int x = x0 - half; x <= x0 + half; ++x) {
            const std::uint8_t* c = image.row(y) + x * 3;
            sum += 0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2];
            ++n;
        }
    return sum / n;
}

class ColourPixels : public ::testing::Test {
  protected:
    void SetUp() override {
        view.field.load_points(ramp(24));
        ASSERT_GT(view.field.faces.size(), 100u);
        s().set_graph_mode(false, false, true);
        view.screen.alpha = 0;
        view.screen.betta = 0; // looking down on X-Y
        view.screen.radius = 14;
    }
    space& s() { return view.screen.get_space(); }
    headless_view view;
};

} // namespace

TEST_F(ColourPixels, FacesShowTheMapsHuesWhereTheHeightsAre) {
    view.render();
    const hue_count classic = count_hues(view.frame);
    // Grey faces; the few coloured pixels are the axes' and labels'.
    EXPECT_LT(classic.yellow, 50);
    EXPECT_LT(classic.purple, 50);

    s().colours = colour_map::viridis;
    s().colour_bar = false;
    view.render();
    const hue_count coloured = count_hues(view.frame);
    EXPECT_GT(coloured.purple, 1000);
    EXPECT_GT(coloured.yellow, 1000);
    // Low (purple) on the left, high (yellow) on the right.
    EXPECT_LT(coloured.purple_x + 100, coloured.yellow_x);

    // Smooth shading keeps the colours; the drag frames too.
    s().smooth_shading = true;
    view.render();
    EXPECT_GT(count_hues(view.frame).yellow, 1000);
    view.screen.set_interacting(true);
    view.render();
    EXPECT_GT(count_hues(view.frame).yellow, 100);
    view.screen.set_interacting(false);
    // And so does drawing vertex by vertex.
    s().use_vertex_arrays = false;
    view.render();
    EXPECT_GT(count_hues(view.frame).yellow, 1000);
}

TEST_F(ColourPixels, UndersideIsLitWhenSeenFromBelow) {
    // The grey map's middle, 128, at the centre of the plane; the scene's
    // light stands above it.
    s().colours = colour_map::grey;
    s().colour_bar = false;
    ASSERT_GT(view.field.mean_normal.z, 0.5f);
    const pixel centre{view.size().width / 2, view.size().height / 2};
    view.render();
    const double top = mean_light(view.frame, centre.x, centre.y, 10);
    view.screen.betta = 180; // looking up at the underside
    view.render();
    const double underside = mean_light(view.frame, centre.x, centre.y, 10);
    EXPECT_GT(top, 110);
    EXPECT_GT(underside, 80);
    EXPECT_GT(underside, 0.55 * top);
}

TEST_F(ColourPixels, ColourBarStandsAtTheRightEdgeWithTheZMarks) {
    s().colours = colour_map::viridis;
    s().set_font_color({255, 0, 0});
    view.render();
    const pixel_size size = view.size();
    const colour_bar_box box = s().colour_bar_place(size.width, size.height);
    EXPECT_GT(box.x, size.width * 0.8f);
    EXPECT_LT(box.x + box.w, size.width);
    const int mid_x = static_cast<int>(box.x + box.w / 2);
    const auto at_height = [&](float t) {
        return view.at({mid_x, size.height - 1 - static_cast<int>(box.y + t * box.h)});
    };
    EXPECT_TRUE(near(at_height(0.02f), colour_at(colour_map::viridis, 0.02), 12));
    EXPECT_TRUE(near(at_height(0.5f), colour_at(colour_map::viridis, 0.5), 12));
    EXPECT_TRUE(near(at_height(0.98f), colour_at(colour_map::viridis, 0.98), 12));
    // Marks in the label colour right of the bar, in its height.
    int red_rows_low = 0, red_rows_high = 0;
    for (int y = 0; y < size.height; ++y) {
        bool red = false;
        for (int x = static_cast<int>(box.x + box.w) + 1; x < size.width; ++x) {
            const rgb_triple c = view.at({x, y});
            red = red || (c.r > 200 && c.g < 80 && c.b < 80);
        }
        const float from_bottom = static_cast<float>(size.height - 1 - y);
        if (!red) continue;
        if (from_bottom < box.y + box.h / 2)
            ++red_rows_low;
        else
            ++red_rows_high;
    }
    EXPECT_GT(red_rows_low, 10);
    EXPECT_GT(red_rows_high, 10);

    // Zero, which the axis leaves unlabelled where the axes meet, has its
    // mark on the bar: in the middle of the diverging map's span.
    s().colours = colour_map::diverging;
    view.render();
    const colour_bar_box centred = s().colour_bar_place(size.width, size.height);
    const int zero_y = size.height - 1 - static_cast<int>(centred.y + centred.h / 2);
    bool zero_mark = false;
    for (int y = zero_y - 3; y <= zero_y + 3; ++y)
        for (int x = static_cast<int>(centred.x + centred.w) + 1; x < size.width; ++x) {
            const rgb_triple c = view.at({x, y});
            zero_mark = zero_mark || (c.r > 200 && c.g < 80 && c.b < 80);
        }
    EXPECT_TRUE(zero_mark);

    s().colour_bar = false;
    view.render();
    EXPECT_TRUE(is_white(at_height(0.5f)));
    s().colour_bar = true;
    s().colours = colour_map::off;
    view.render();
    EXPECT_TRUE(is_white(at_height(0.5f)));
}

// Framed with the bar on, the graph stays clear of it, also in a narrow view
// where the width decides the framing: nothing drawn just left of the bar.
TEST(ColourBarFraming, AFramedGraphLeavesTheBarFree) {
    headless_view narrow({480, 900});
    narrow.field.load_points(ramp(24));
    space& s = narrow.screen.get_space();
    s.set_graph_mode(false, false, true);
    s.colours = colour_map::viridis;
    narrow.screen.frame_view(default_view);
    narrow.render();
    const pixel_size size = narrow.size();
    const colour_bar_box bar = s.colour_bar_place(size.width, size.height);
    int right = 0, drawn = 0;
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < static_cast<int>(bar.x) - 1; ++x)
            if (!is_white(narrow.at({x, y}))) {
                ++drawn;
                right = std::max(right, x);
            }
    EXPECT_GT(drawn, 1000);
    EXPECT_LT(right, static_cast<int>(bar.x) - 4) << "the bar starts at " << bar.x;
}

TEST_F(ColourPixels, PickingFindsThePointsAsWithoutColour) {
    s().set_graph_mode(true, true, true);
    const gl_point& g = view.field.gl_points[100];
    const pixel p = view.project(g.x, g.y, g.z);
    const std::int32_t classic = view.screen.pick_point(p.x, p.y);
    ASSERT_NE(classic, background_id);
    s().colours = colour_map::cividis;
    s().smooth_shading = true;
    view.render();
    EXPECT_EQ(view.screen.pick_point(p.x, p.y), classic);
}

TEST(FaceCorners, UprightAndSmoothLayouts) {
    Datafield field;
    // Two faces sharing the edge b-c; the first stored clockwise seen from above.
    field.load_graph({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}}, {{0, 2, 1}, {1, 2, 3}});
    graph_arrays arrays;
    const auto classic = arrays.face_vertices(field);
    ASSERT_EQ(classic.size(), 6u);
    EXPECT_EQ(classic[1].y, 1); // stored order: a, c, b
    EXPECT_EQ(classic[0].nz, field.normals[0].z);

    const auto upright = arrays.face_vertices(field, {true, false});
    ASSERT_EQ(upright.size(), 6u);
    for (int f = 0; f < 2; ++f) {
        const face_vertex* v = &upright[f * 3];
        const float turn =
            (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[1].y - v[0].y) * (v[2].x - v[0].x);
        EXPECT_GT(turn, 0) << "face " << f;
        EXPECT_GE(v[0].nz, 0) << "face " << f;
    }

    const auto smooth = arrays.face_vertices(field, {true, true});
    ASSERT_EQ(smooth.size(), 6u);
    // Point b (1, 0, 0) belongs to both faces: one normal, between theirs.
    std::vector<const face_vertex*> at_b;
    for (const face_vertex& v : smooth) {
        EXPECT_NEAR(std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz), 1, 1e-5);
        if (v.x == 1 && v.y == 0) at_b.push_back(&v);
    }
    ASSERT_EQ(at_b.size(), 2u);
    EXPECT_EQ(at_b[0]->nx, at_b[1]->nx);
    EXPECT_EQ(at_b[0]->nz, at_b[1]->nz);
    EXPECT_GT(at_b[0]->nz, upright[3].nz); // the tilted face's own normal is steeper
    EXPECT_LT(at_b[0]->nz, 1);
}
