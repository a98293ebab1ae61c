// render: the picture the desktop shows for a graph file, drawn headless with
// the same screen and scene, saved as PNG.
#include "render_command.h"

#include "base/memory_error.h"
#include "cli_output.h"
#include "commands.h"
#include "files/graph_apply.h"
#include "files/graph_reader.h"
#include "files/point_table.h"
#include "files/value_text.h"
#include "graph/number_text.h"
#include "interrupt.h"
#include "view/headless/egl_surface.h"
#include "view/opengl_screen.h"
#include "view/png_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <iostream>
#include <new>
#include <optional>

namespace tessaline {

namespace {

constexpr pixel_size default_size{default_picture_width, default_picture_height};
constexpr int largest_side = 16384;

// A factor of the picture's size, above 0 and at most largest_side.
std::optional<double> parse_scale(const std::string& text) {
    const std::optional<double> scale = parse_real(text);
    if (!scale || *scale <= 0 || *scale > largest_side) return std::nullopt;
    return scale;
}

bool parse_size(const std::string& text, pixel_size& size) {
    const auto x = text.find('x');
    if (x == std::string::npos) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    int w = 0, h = 0;
    const auto [wend, werr] = std::from_chars(begin, begin + x, w);
    const auto [hend, herr] = std::from_chars(begin + x + 1, end, h);
    if (werr != std::errc() || herr != std::errc() || wend != begin + x || hend != end)
        return false;
    if (w < 1 || h < 1 || w > largest_side || h > largest_side) return false;
    size = {w, h};
    return true;
}

// The view part of the file. Values the reader did not reach hold a fresh
// start's, which is what a new screen has, so the whole document applies.
void apply_view(TOpenGLScreen& screen, const graph_document& d) {
    screen.alpha = d.camera.alpha;
    screen.betta = d.camera.betta;
    screen.radius = d.camera.radius;
    screen.move_a = d.camera.move_a;
    screen.move_b = d.camera.move_b;
    space& s = screen.get_space();
    s.selected_point_id = d.selected_point_id;
    s.set_axis_zoom(d.zoom_step.x, d.zoom_step.y, d.zoom_step.z);
    s.set_font_zoom(d.font_zoom_step);
    s.set_font_color(color_to_rgb(static_cast<std::uint32_t>(d.font_color)));
    s.set_point_size(d.point_size);
    s.set_t_shift(d.t_shift.x, d.t_shift.y, d.t_shift.z);
    s.set_t_turn(d.t_turn.x, d.t_turn.y, d.t_turn.z);
    s.set_t_inv(d.t_inv.x, d.t_inv.y, d.t_inv.z);
    s.set_t_overturn(d.t_overturn.x, d.t_overturn.y, d.t_overturn.z);
    s.set_graph_mode(d.modes.mode_points, d.modes.mode_lines, d.modes.mode_poligones);
    screen.orthographic = d.orthographic;
    s.colours = d.colours;
    s.colour_bar = d.colour_bar;
    s.smooth_shading = d.smooth_shading;
}

std::optional<view_angles> named_view(const std::string& name) {
    if (name == "top") return top_view;
    if (name == "front") return front_view;
    if (name == "side") return side_view;
    if (name == "default") return default_view;
    return std::nullopt;
}

// MIN:MAX with either side empty (open).
std::optional<axis_limits> parse_limits(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    axis_limits limits;
    const std::string sides[2] = {text.substr(0, colon), text.substr(colon + 1)};
    std::optional<double>* targets[2] = {&limits.min, &limits.max};
    for (int k = 0; k < 2; ++k) {
        if (sides[k].empty()) continue;
        *targets[k] = parse_real(sides[k]);
        if (!*targets[k]) return std::nullopt;
    }
    return limits;
}

// Choices for one picture over those the file keeps.
struct picture_choices {
    std::optional<axis_scaling> scaling;
    std::optional<view_angles> view;
    bool orthographic = false;
    std::optional<axis_limits> limits[3];
    std::optional<colour_map> colours;
    std::optional<bool> colour_bar;
    bool smooth = false;
};

// The graph of a table or a workbook as a fresh import shows it; false (the
// error printed, `status` set) when no graph comes of it.
bool read_table_graph(const std::string& input, const std::vector<std::string>& picks,
                      axis_scaling scaling, graph_read& read, int& status) {
    table_points table;
    if (is_workbook_path(input) || !picks.empty()) {
        status = read_workbook_points(input, picks, "render", table);
        if (status != exit_done) return false;
    } else {
        const point_table_read text = read_point_table(input);
        if (!text.ok()) {
            print_error(text.error);
            status = exit_failed;
            return false;
        }
        table = {text.table.points, text.table.captions, text.table.rows_skipped};
    }
    if (table.points.empty()) {
        print_error("no point read from \"" + input + "\": no row holds three numbers (" +
                    std::to_string(table.rows_skipped) + " rows skipped).");
        status = exit_failed;
        return false;
    }
    read = graph_read{};
    read.status = graph_file_status::read;
    read.document = fresh_graph(table.points, table.captions, scaling);
    read.graph_loaded = true;
    read.view_values_read = view_value_count;
    return true;
}

std::string colour_map_choices() {
    std::string names;
    for (colour_map map : colour_maps)
        names += std::string(colour_map_name(map)) + ", ";
    return names + "or off";
}

} // namespace

int render_command(const std::vector<std::string>& args) {
    std::string input, output;
    pixel_size size = default_size;
    std::optional<double> scale;
    picture_choices choices;
    std::vector<std::string> picks; // a workbook's sheet, columns and rows
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (is_workbook_option(a)) {
            if (i + 1 == args.size()) return usage_error("render", a + " needs a value");
            picks.push_back(a);
            picks.push_back(args[++i]);
        } else if (a == "--scale") {
            if (i + 1 == args.size() || !(scale = parse_scale(args[++i])))
                return usage_error("render", "--scale needs a factor above 0, such as 4");
        } else if (a == "--fit") {
            choices.scaling = axis_scaling::fit;
        } else if (a == "--classic") {
            choices.scaling = axis_scaling::classic;
        } else if (a == "--ortho") {
            choices.orthographic = true;
        } else if (a == "--range-x" || a == "--range-y" || a == "--range-z") {
            const int axis = a.back() - 'x';
            if (i + 1 == args.size() || !(choices.limits[axis] = parse_limits(args[++i])))
                return usage_error("render", a + " needs MIN:MAX (numbers; either may be empty)");
        } else if (a == "--colormap") {
            if (i + 1 == args.size() || !(choices.colours = colour_map_named(args[++i])))
                return usage_error("render", "--colormap needs " + colour_map_choices());
        } else if (a == "--colorbar") {
            const std::string value = i + 1 < args.size() ? args[++i] : std::string();
            if (value != "on" && value != "off")
                return usage_error("render", "--colorbar needs on or off");
            choices.colour_bar = value == "on";
        } else if (a == "--smooth") {
            choices.smooth = true;
        } else if (a == "--view") {
            if (i + 1 == args.size() || !(choices.view = named_view(args[++i])))
                return usage_error("render", "--view needs top, front, side or default");
        } else if (a == "-o" || a == "--output") {
            if (i + 1 == args.size()) return usage_error("render", a + " needs a file name");
            output = args[++i];
        } else if (a == "--size") {
            if (i + 1 == args.size() || !parse_size(args[++i], size))
                return usage_error("render",
                                   "--size needs WxH, each 1 to " + std::to_string(largest_side));
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("render", "unknown option " + a);
        } else if (input.empty()) {
            input = a;
        } else {
            return usage_error("render", "more than one input file");
        }
    }
    if (input.empty()) return usage_error("render", "no graph file, table or workbook");
    if (output.empty()) return usage_error("render", "no output file (-o OUT.png)");
    if (scale) {
        const double width = std::round(size.width * *scale);
        const double height = std::round(size.height * *scale);
        if (width > largest_side || height > largest_side)
            return usage_error("render", "a picture of " + std::to_string(std::lround(width)) +
                                             "x" + std::to_string(std::lround(height)) +
                                             " pixels is larger than the largest, " +
                                             std::to_string(largest_side) + " on a side");
        size = {std::max(1, static_cast<int>(width)), std::max(1, static_cast<int>(height))};
    }

    int status = exit_done;
    // A table or workbook is drawn as an import shows it: a fresh view framed on it.
    bool fresh = false;
    graph_read read;
    if (!picks.empty() || is_workbook_path(input)) {
        fresh = true;
    } else {
        read = read_graph_file(input, interrupt_token());
        fresh = !read.ok() && read.table_or_workbook;
        if (!read.ok() && !fresh) {
            print_unreadable(read);
            return exit_failed;
        }
    }
    if (fresh && !read_table_graph(input, picks, choices.scaling.value_or(axis_scaling::classic),
                                   read, status))
        return status;
    if (!read.graph_loaded) {
        print_error("the graph data cannot be used: " + read.graph_error +
                    "; only the frame is drawn.");
        status = exit_failed;
    }
    if (!read.view_error.empty()) {
        print_error("the view settings stop early: " + read.view_error +
                    "; the settings from there on are those of a fresh start.");
        status = exit_failed;
    }

    try {
        if (choices.scaling) read.document.scaling = *choices.scaling;
        if (choices.orthographic) read.document.orthographic = true;
        if (choices.colours) read.document.colours = *choices.colours;
        if (choices.colour_bar) read.document.colour_bar = *choices.colour_bar;
        if (choices.smooth) read.document.smooth_shading = true;
        axis_limits* limits[3] = {&read.document.limits.x, &read.document.limits.y,
                                  &read.document.limits.z};
        for (int axis = 0; axis < 3; ++axis)
            if (choices.limits[axis]) *limits[axis] = *choices.limits[axis];
        Datafield field;
        apply_to_datafield(field, read);
        egl_surface surface(size);
        TOpenGLScreen screen(surface, field);
        screen.get_space().decimal_separator = locale_decimal_separator();
        apply_view(screen, read.document);
        // Dots grow with a scaled picture, as its 3-D labels do.
        if (scale)
            screen.get_space().set_point_size(
                static_cast<std::int32_t>(std::lround(read.document.point_size * *scale)));
        // Another scaling puts the data elsewhere in the box, and a fixed
        // view looks from elsewhere: either is framed anew, as is a table.
        if (choices.view)
            screen.frame_view(*choices.view);
        else if (choices.scaling || fresh)
            screen.frame_view({screen.alpha, screen.betta});
        screen.render(GL_RENDER);
        const png_save_result saved = save_png(output, screen.grab_frame());
        if (!saved.ok) {
            print_error(saved.error);
            return exit_failed;
        }
    } catch (const std::bad_alloc&) {
        print_error(not_enough_memory("draw " + input, egl_surface::memory_needed(size)) + ".");
        return exit_failed;
    } catch (const std::exception& e) {
        print_error(error_text(e));
        return exit_failed;
    }
    std::cout << "rendered " << size.width << "x" << size.height << ": " << output << '\n';
    return status;
}

} // namespace tessaline
