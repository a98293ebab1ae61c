// Times the view headless at the default window size: a visible frame from
// vertex arrays and in immediate mode, a pointer move onto another point
// (pick from the kept id picture, then a frame) and a pointer move that stays
// on the same point (pick only), and a frame while a button is held (the
// camera turning, a reduced graph), and the visible frame from buffer
// objects. Prints the medians in milliseconds.
#include "view/headless/egl_surface.h"
#include "view/opengl_screen.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <random>
#include <vector>

using namespace tessaline;

namespace {

// A smooth surface over a lattice whose nodes are jittered, so the face
// builder meets no exact rows.
data_points_ jittered_surface(int n) {
    const int side = std::max(2, static_cast<int>(std::ceil(std::sqrt(n))));
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    data_points_ points;
    points.reserve(static_cast<std::size_t>(n));
    for (int i = 0; static_cast<int>(points.size()) < n; ++i) {
        const double x = -1 + 2 * ((i % side) + 0.5 + jitter(random)) / side;
        const double y = -1 + 2 * ((i / side) + 0.5 + jitter(random)) / side;
        points.push_back({x * 50, y * 50, std::sin(3 * x) * std::cos(2 * y) + 0.3 * x * y});
    }
    return points;
}

double time_ms(const std::function<void()>& step) {
    const auto t0 = std::chrono::steady_clock::now();
    step();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc == 2 ? std::atoi(argv[1]) : 0;
    if (n <= 0) {
        std::fprintf(stderr, "usage: tessaline-bench-render POINTS\n");
        return 2;
    }
    try {
        Datafield field;
        const auto t0 = std::chrono::steady_clock::now();
        field.load_points(jittered_surface(n));
        std::fprintf(stderr, "faces=%d built in %.1f s\n", field.face_count,
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());

        egl_surface surface({815, 682});
        TOpenGLScreen screen(surface, field);
        space& scene = screen.get_space();
        scene.set_graph_mode(true, true, false); // as the desktop starts
        const int runs = n >= 500000 ? 5 : 11;

        const auto frame = [&] { screen.render(GL_RENDER); };
        frame(); // builds the arrays, as a data change does

        // Two pixels near the middle that show different points, and a
        // neighbour pixel on the first one's dot where there is one.
        const int cx = 815 / 2, cy = 682 / 2;
        const std::int32_t first = screen.pick_point(cx, cy);
        int dx = 1;
        while (dx < 400 && (screen.pick_point(cx + dx, cy) == first ||
                            screen.pick_point(cx + dx, cy) == background_id))
            ++dx;
        if (first == background_id || dx == 400) {
            std::fprintf(stderr, "no two points near the middle of the view\n");
            return 1;
        }
        const int nx = screen.pick_point(cx - 1, cy) == first ? cx - 1 : cx;

        // The four timings take turns, so that a load coming and going on
        // the machine weighs on all of them alike.
        std::vector<double> frame_ms, immediate_ms, move_ms, same_ms, drag_ms, buffered_ms;
        // The client arrays of GL 1.1 for every timing but buffered_ms.
        scene.use_buffer_objects = false;
        const auto move_to = [&](int x) {
            if (screen.hover_at(x, cy)) frame();
        };
        move_to(cx);
        for (int run = 0; run < runs; ++run) {
            frame_ms.push_back(time_ms(frame));
            scene.use_buffer_objects = true;
            buffered_ms.push_back(time_ms(frame));
            scene.use_buffer_objects = false;
            scene.use_vertex_arrays = false;
            immediate_ms.push_back(time_ms(frame));
            scene.use_vertex_arrays = true;
            // Onto the other point and back: two moves that each find a new point.
            move_ms.push_back(time_ms([&] { move_to(cx + dx); }));
            move_ms.push_back(time_ms([&] { move_to(cx); }));
            // Within the first point's dot: no new point, no frame.
            same_ms.push_back(time_ms([&] { move_to(nx); }));
            same_ms.push_back(time_ms([&] { move_to(cx); }));
        }
        // Frames while a button is held and the camera turns: the first few
        // settle the share of the graph drawn.
        screen.set_interacting(true);
        for (int run = 0; run < 3 * runs + 6; ++run) {
            const double ms = time_ms([&] {
                screen.drag(4, 2);
                frame();
            });
            if (run >= 6) drag_ms.push_back(ms);
        }
        screen.set_interacting(false);
        std::printf(
            "points=%d frame_ms=%.1f immediate_ms=%.1f move_ms=%.1f same_ms=%.3f drag_ms=%.1f "
            "buffered_ms=%.1f\n",
            n, median(frame_ms), median(immediate_ms), median(move_ms), median(same_ms),
            median(drag_ms), median(buffered_ms));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessaline-bench-render: %s\n", e.what());
        return 1;
    }
    return 0;
}
