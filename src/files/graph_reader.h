// Reads graph files tolerantly: the graph data are taken whole or not at all,
// and the view settings in a fixed order up to the first bad one, so that the
// caller applies exactly what was read and keeps the rest.
#pragma once

#include "files/graph_document.h"

#include <cstdint>
#include <filesystem>
#include <stop_token>
#include <string>
#include <string_view>

namespace tessaline {

// The view settings in the order they are read (and applied). A read that
// stops at one of them has read all before it and none after it.
enum class view_value : int {
    camera_alpha,
    camera_betta,
    camera_radius,
    camera_move_a,
    camera_move_b,
    selected_point_id,
    marks_step_x,
    marks_step_y,
    marks_step_z,
    zoom_step_x,
    zoom_step_y,
    zoom_step_z,
    caption_x,
    caption_y,
    caption_z,
    font_zoom_step,
    font_color,
    point_size,
    t_shift_x,
    t_shift_y,
    t_shift_z,
    t_turn_x,
    t_turn_y,
    t_turn_z,
    t_inv_x,
    t_inv_y,
    t_inv_z,
    t_overturn_x,
    t_overturn_y,
    t_overturn_z,
    mode_points,
    mode_lines,
    mode_poligones,
};
inline constexpr int view_value_count = static_cast<int>(view_value::mode_poligones) + 1;

enum class graph_file_status {
    read,          // the graph and view blocks were tried; see their errors
    other_program, // a well-formed file of another program: ignored, nothing taken
    unreadable,    // cannot be opened, not XML, or no product name: nothing taken
};

struct graph_read {
    graph_file_status status = graph_file_status::unreadable;
    // A sentence for the user when the status is not `read`.
    std::string error;
    // Unreadable because it is a workbook or a text without markup, as a
    // table is: the caller may say how tables are brought in.
    bool table_or_workbook = false;

    // What was read; values not read keep their defaults (a fresh start).
    graph_document document;

    // Points and faces were read; otherwise the previous graph stays.
    bool graph_loaded = false;
    std::string graph_error;

    // The first view_values_read settings of view_value were read.
    int view_values_read = 0;
    std::string view_error; // empty when every setting was read

    bool ok() const { return status == graph_file_status::read; }
    bool has(view_value v) const { return static_cast<int>(v) < view_values_read; }
};

// Opening a graph file takes about this many bytes of memory per byte of the
// file at its peak (text, parsed nodes, the graph and its view), measured on
// a file of 1M random points and their faces (4.7 reading, 5.2 showing).
inline constexpr std::uint64_t graph_file_memory_per_byte = 5;

// A file that is not a regular file, or holds no markup where a graph file
// would, is refused unread; one that does not fit in memory is refused with
// the memory it needs. Throws work_stopped soon after `stop` is requested.
graph_read read_graph_file(const std::filesystem::path& path, std::stop_token stop = {});

// The same from text in memory; `name` stands for the file in messages.
graph_read read_graph_text(std::string_view text, std::string_view name = "The graph text");

} // namespace tessaline
