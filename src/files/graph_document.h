// Everything a graph file keeps: the graph and the whole state of its view.
// Default-constructed, it is the view of a fresh start with no points.
#pragma once

#include "graph/colour_map.h"
#include "graph/declaration.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaline {

// The name a graph file must carry to be opened.
inline constexpr std::string_view graph_file_product_name = "Tessaline";

// One value per axis.
template <typename T> struct axis_values {
    T x{}, y{}, z{};
    bool operator==(const axis_values&) const = default;
};

// The five camera values of the screen, as the screen holds them.
struct camera_view {
    float alpha = 315, betta = 315, radius = 10, move_a = 0, move_b = 0;
    bool operator==(const camera_view&) const = default;
};

// Which layers of the graph are drawn.
struct graph_mode {
    bool mode_points = true, mode_lines = true, mode_poligones = false;
    bool operator==(const graph_mode&) const = default;
};

struct graph_document {
    data_points_ points; // data units
    triangles faces;     // point ids, corners in stored order
    camera_view camera;
    std::int32_t selected_point_id = -1;
    axis_values<std::int32_t> marks_step; // interval shift per axis
    axis_values<std::int32_t> zoom_step;
    axis_values<std::string> captions{"X", "Y", "Z"};
    std::int32_t font_zoom_step = 0;
    std::int32_t font_color = 0; // red in the lowest byte, then green, then blue
    std::int32_t point_size = 7;
    axis_values<bool> t_shift, t_turn, t_inv, t_overturn;
    graph_mode modes;
    // Kept in elements after those of the first format, written only when
    // they differ from the classic view: a reader that knows only the first
    // format opens the file as before, and one without them is classic.
    axis_scaling scaling = axis_scaling::classic;
    bool orthographic = false;
    axis_values<axis_limits> limits;
    // Colour by height, its bar beside the graph, and normals per point.
    colour_map colours = colour_map::off;
    bool colour_bar = true;
    bool smooth_shading = false;

    bool operator==(const graph_document&) const = default;
};

} // namespace tessaline
