// info: what a graph file holds, and with --marks the marks the view shows.
#include "cli_output.h"
#include "commands.h"
#include "files/graph_apply.h"
#include "files/graph_reader.h"
#include "graph/datafield.h"
#include "interrupt.h"

#include <algorithm>
#include <iostream>

namespace tessaline {

namespace {

struct view_entry {
    view_value value;
    const char* line; // entries of one line follow each other
    const char* name; // empty for a line of one value
    std::string text;
};

std::string flag(bool value) {
    return value ? "True" : "False";
}

std::vector<view_entry> view_entries(const graph_document& d) {
    using v = view_value;
    const auto steps = [](const char* line, v first, const axis_values<std::int32_t>& s) {
        return std::vector<view_entry>{
            {first, line, "x", std::to_string(s.x)},
            {static_cast<v>(static_cast<int>(first) + 1), line, "y", std::to_string(s.y)},
            {static_cast<v>(static_cast<int>(first) + 2), line, "z", std::to_string(s.z)}};
    };
    const auto flags = [](const char* line, v first, const axis_values<bool>& f) {
        return std::vector<view_entry>{
            {first, line, "x", flag(f.x)},
            {static_cast<v>(static_cast<int>(first) + 1), line, "y", flag(f.y)},
            {static_cast<v>(static_cast<int>(first) + 2), line, "z", flag(f.z)}};
    };
    std::vector<view_entry> entries = {
        {v::camera_alpha, "camera", "alpha", exact_text(d.camera.alpha)},
        {v::camera_betta, "camera", "betta", exact_text(d.camera.betta)},
        {v::camera_radius, "camera", "radius", exact_text(d.camera.radius)},
        {v::camera_move_a, "camera", "move_a", exact_text(d.camera.move_a)},
        {v::camera_move_b, "camera", "move_b", exact_text(d.camera.move_b)},
        {v::selected_point_id, "selected point", "", std::to_string(d.selected_point_id)},
    };
    const auto append = [&](std::vector<view_entry> more) {
        entries.insert(entries.end(), more.begin(), more.end());
    };
    append(steps("interval shift", v::marks_step_x, d.marks_step));
    append(steps("zoom step", v::zoom_step_x, d.zoom_step));
    append({{v::caption_x, "captions", "x", field_text(d.captions.x)},
            {v::caption_y, "captions", "y", field_text(d.captions.y)},
            {v::caption_z, "captions", "z", field_text(d.captions.z)},
            {v::font_zoom_step, "font zoom step", "", std::to_string(d.font_zoom_step)},
            {v::font_color, "font color", "", std::to_string(d.font_color)},
            {v::point_size, "point size", "", std::to_string(d.point_size)}});
    append(flags("t_shift", v::t_shift_x, d.t_shift));
    append(flags("t_turn", v::t_turn_x, d.t_turn));
    append(flags("t_inv", v::t_inv_x, d.t_inv));
    append(flags("t_overturn", v::t_overturn_x, d.t_overturn));
    append({{v::mode_points, "graph mode", "points", flag(d.modes.mode_points)},
            {v::mode_lines, "graph mode", "lines", flag(d.modes.mode_lines)},
            {v::mode_poligones, "graph mode", "poligones", flag(d.modes.mode_poligones)}});
    return entries;
}

void print_graph(const graph_document& d) {
    std::cout << "points: " << d.points.size() << '\n' << "faces: " << d.faces.size() << '\n';
    if (d.points.empty()) {
        std::cout << "bounds: none\n";
        return;
    }
    data_point low = d.points[0], high = d.points[0];
    for (const data_point& p : d.points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    std::cout << "bounds x: " << exact_text(low.x) << " .. " << exact_text(high.x) << '\n'
              << "bounds y: " << exact_text(low.y) << " .. " << exact_text(high.y) << '\n'
              << "bounds z: " << exact_text(low.z) << " .. " << exact_text(high.z) << '\n';
}

// Only what was read; a line that was cut short shows its first values.
void print_view(const graph_read& read) {
    const char* open_line = nullptr;
    for (const view_entry& e : view_entries(read.document)) {
        if (!read.has(e.value)) break;
        if (open_line != e.line) {
            if (open_line) std::cout << '\n';
            std::cout << e.line << ':';
            open_line = e.line;
        } else {
            std::cout << ',';
        }
        std::cout << ' ';
        if (*e.name) std::cout << e.name << ' ';
        std::cout << e.text;
    }
    if (open_line) std::cout << '\n';
}

void print_marks(const graph_read& read) {
    Datafield field;
    apply_to_datafield(field, read);
    const std::pair<const char*, const marks*> axes[] = {
        {"x", &field.marks_x}, {"y", &field.marks_y}, {"z", &field.marks_z}};
    for (const auto& [axis, list] : axes)
        for (const mark& m : *list)
            std::cout << axis << ' ' << field_text(m.text) << ' ' << exact_text(m.position) << '\n';
}

} // namespace

void print_unreadable(const graph_read& read) {
    print_error(read.error);
    if (read.table_or_workbook)
        std::cerr << "To make a graph file of a table or workbook: tessaline-cli convert TABLE -o "
                     "GRAPH.xyz\n";
}

int info_command(const std::vector<std::string>& args) {
    std::string path;
    bool with_marks = false;
    for (const std::string& a : args) {
        if (a == "--marks") {
            with_marks = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("info", "unknown option " + a);
        } else if (path.empty()) {
            path = a;
        } else {
            return usage_error("info", "more than one file");
        }
    }
    if (path.empty()) return usage_error("info", "no graph file");

    const graph_read read = read_graph_file(path, interrupt_token());
    if (!read.ok()) {
        print_unreadable(read);
        return exit_failed;
    }
    if (read.graph_loaded) print_graph(read.document);
    print_view(read);
    if (with_marks) print_marks(read);

    int status = exit_done;
    if (!read.graph_loaded) {
        print_error("the graph data cannot be used: " + read.graph_error + ".");
        status = exit_failed;
    }
    if (!read.view_error.empty()) {
        print_error("the view settings stop early: " + read.view_error +
                    "; the settings from there on are not read.");
        status = exit_failed;
    }
    return status;
}

} // namespace tessaline
