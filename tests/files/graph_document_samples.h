// Graph documents for the file tests: one with every view setting away from
// its default, and random points with full-precision coordinates.
#pragma once

#include "files/graph_document.h"

#include <cmath>
#include <cstring>
#include <random>

namespace tessaline::testing {

inline graph_document every_setting_changed() {
    graph_document graph;
    graph.points = {{0.5, -1.25, 1e-5}, {2.5e20, 12.5, 0}, {1, 1, -3.75}, {-0.0001, 100, 7}};
    graph.faces = {{0, 1, 2}, {0, 2, 3}};
    graph.camera = {30.5f, -12, 4.25f, 0.1f, -0.25f};
    graph.selected_point_id = 3;
    graph.marks_step = {1, -2, 0};
    graph.zoom_step = {2, 0, -1};
    graph.captions = {"Depth & width", "a < b", "Z"};
    graph.font_zoom_step = -3;
    graph.font_color = 0xFF;
    graph.point_size = 12;
    graph.t_shift = {true, false, true};
    graph.t_turn = {false, true, false};
    graph.t_overturn = {false, true, false};
    graph.modes = {false, true, true};
    return graph;
}

// Coordinates from random bits (all finite), so every digit counts.
inline graph_document random_graph(int points, int faces, unsigned seed) {
    std::mt19937_64 random(seed);
    const auto real = [&] {
        for (;;) {
            const std::uint64_t bits = random();
            double v;
            static_assert(sizeof v == sizeof bits);
            std::memcpy(&v, &bits, sizeof v);
            if (std::isfinite(v)) return v;
        }
    };
    graph_document graph;
    for (int i = 0; i < points; ++i)
        graph.points.push_back({real(), real(), real()});
    std::uniform_int_distribution<std::int32_t> id(0, points - 1);
    for (int i = 0; i < faces; ++i)
        graph.faces.push_back({id(random), id(random), id(random)});
    std::uniform_real_distribution<float> angle(-1000, 1000);
    graph.camera = {angle(random), angle(random), angle(random), angle(random), angle(random)};
    return graph;
}

} // namespace tessaline::testing
