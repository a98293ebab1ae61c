#include "graph_writer.h"

#include "base/atomic_file.h"
#include "base/memory_error.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace tessaline {

namespace {

// Writes the XML text straight to its sink, element by element, so a save
// needs no document in memory and a write that fails is seen at once. The
// layout is one element per line: declaration, root, children, no indent.
template <typename Sink> class xml_stream {
  public:
    xml_stream(Sink& sink, char decimal_separator) : sink_(sink), separator_(decimal_separator) {}

    void declaration() { put("<?xml version=\"1.0\"?>\n"); }
    void open(std::string_view element) {
        put("<");
        put(element);
    }
    // After open(): ends the start tag of an element with children.
    void begin_children() { put(">\n"); }
    // After open(): ends an element without children.
    void close_empty() { put(" />\n"); }
    void close(std::string_view element) {
        put("</");
        put(element);
        put(">\n");
    }

    void integer(std::string_view name, std::int64_t value) {
        char text[24];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        attribute(name, std::string_view(text, static_cast<size_t>(end - text)));
    }
    void real(std::string_view name, double value) {
        attribute(name, general_text(value, separator_));
    }
    void boolean(std::string_view name, bool value) { attribute(name, value ? "True" : "False"); }
    void text(std::string_view name, std::string_view value) {
        put(" ");
        put(name);
        put("=\"");
        escaped(value);
        put("\"");
    }

  private:
    // For values that need no escaping (numbers, flags).
    void attribute(std::string_view name, std::string_view value) {
        put(" ");
        put(name);
        put("=\"");
        put(value);
        put("\"");
    }
    void put(std::string_view s) { sink_.write(s.data(), s.size()); }

    // As XML attribute values must be: markup characters as entities and
    // control characters as character references, so line breaks and tabs
    // in a caption survive the reader's normalisation. A NUL cannot be
    // written at all; the value ends there.
    void escaped(std::string_view value) {
        size_t plain = 0;
        for (size_t i = 0; i < value.size(); ++i) {
            const auto c = static_cast<unsigned char>(value[i]);
            if (c >= 32 && c != '&' && c != '<' && c != '"') continue;
            put(value.substr(plain, i - plain));
            plain = i + 1;
            if (c == 0) return;
            if (c == '&') {
                put("&amp;");
            } else if (c == '<') {
                put("&lt;");
            } else if (c == '"') {
                put("&quot;");
            } else {
                const char reference[] = {'&', '#', static_cast<char>('0' + c / 10),
                                          static_cast<char>('0' + c % 10), ';'};
                put(std::string_view(reference, sizeof reference));
            }
        }
        put(value.substr(plain));
    }

    Sink& sink_;
    char separator_;
};

// One element with an x_val, y_val and z_val: integers, or flags as "True"
// and "False".
template <typename Sink, typename T>
void axis_triple(xml_stream<Sink>& out, std::string_view element, const axis_values<T>& values) {
    out.open(element);
    for (auto [name, value] : {std::pair{"x_val", values.x}, std::pair{"y_val", values.y},
                               std::pair{"z_val", values.z}}) {
        if constexpr (std::is_same_v<T, bool>)
            out.boolean(name, value);
        else
            out.integer(name, value);
    }
    out.close_empty();
}

template <typename Sink>
void single_real(xml_stream<Sink>& out, std::string_view element, double value) {
    out.open(element);
    out.real("val", value);
    out.close_empty();
}

template <typename Sink>
void single_integer(xml_stream<Sink>& out, std::string_view element, std::int64_t value) {
    out.open(element);
    out.integer("val", value);
    out.close_empty();
}

// A list element with its size and one child per entry, each numbered by its
// "id" and given its attributes by `attributes`.
template <typename Sink, typename Entries, typename Attributes>
void write_list(xml_stream<Sink>& out, std::string_view list, std::string_view entry,
                const Entries& entries, const Attributes& attributes) {
    out.open(list);
    out.integer("size", static_cast<std::int64_t>(entries.size()));
    if (entries.empty()) {
        out.close_empty();
        return;
    }
    out.begin_children();
    std::int64_t id = 0;
    for (const auto& e : entries) {
        out.open(entry);
        out.integer("id", id++);
        attributes(e);
        out.close_empty();
    }
    out.close(list);
}

template <typename Sink>
void write_document(Sink& sink, const graph_document& graph, std::string_view program_version,
                    char decimal_separator) {
    xml_stream<Sink> out(sink, decimal_separator);
    out.declaration();
    out.open("graph");
    out.begin_children();

    out.open("program_name");
    out.text("val", graph_file_product_name);
    out.close_empty();
    out.open("version");
    out.text("val", program_version);
    out.close_empty();

    write_list(out, "df_points", "p", graph.points, [&out](const data_point& p) {
        out.real("x", p.x);
        out.real("y", p.y);
        out.real("z", p.z);
    });
    write_list(out, "df_faces", "f", graph.faces, [&out](const triangle& f) {
        out.integer("p0", f.p0);
        out.integer("p1", f.p1);
        out.integer("p2", f.p2);
    });

    // Camera values are 32-bit; widened, they are written with their binary noise.
    single_real(out, "screen_view_alpha", graph.camera.alpha);
    single_real(out, "screen_view_betta", graph.camera.betta);
    single_real(out, "screen_view_radius", graph.camera.radius);
    single_real(out, "screen_view_move_a", graph.camera.move_a);
    single_real(out, "screen_view_move_b", graph.camera.move_b);
    single_integer(out, "space_selected_point_id", graph.selected_point_id);
    axis_triple(out, "shift_marks", graph.marks_step);
    axis_triple(out, "shift_scale", graph.zoom_step);
    out.open("axis_caption");
    out.text("x_val", graph.captions.x);
    out.text("y_val", graph.captions.y);
    out.text("z_val", graph.captions.z);
    out.close_empty();
    single_integer(out, "shift_font_zoom", graph.font_zoom_step);
    single_integer(out, "font_color", graph.font_color);
    single_integer(out, "point_size", graph.point_size);
    axis_triple(out, "t_shift", graph.t_shift);
    axis_triple(out, "t_turn", graph.t_turn);
    axis_triple(out, "t_inv", graph.t_inv);
    axis_triple(out, "t_overturn", graph.t_overturn);
    out.open("space_graph_mode");
    out.boolean("mode_points", graph.modes.mode_points);
    out.boolean("mode_lines", graph.modes.mode_lines);
    out.boolean("mode_poligones", graph.modes.mode_poligones);
    out.close_empty();

    if (graph.scaling == axis_scaling::fit) {
        out.open("axis_scaling");
        out.text("val", "fit");
        out.close_empty();
    }
    if (graph.orthographic) {
        out.open("projection");
        out.text("val", "orthographic");
        out.close_empty();
    }
    const axis_limits* limits[3] = {&graph.limits.x, &graph.limits.y, &graph.limits.z};
    if (limits[0]->any() || limits[1]->any() || limits[2]->any()) {
        // Only the sides that are set: an open side has no attribute.
        static constexpr const char* names[3][2] = {
            {"x_min", "x_max"}, {"y_min", "y_max"}, {"z_min", "z_max"}};
        out.open("axis_limits");
        for (int axis = 0; axis < 3; ++axis) {
            if (limits[axis]->min) out.real(names[axis][0], *limits[axis]->min);
            if (limits[axis]->max) out.real(names[axis][1], *limits[axis]->max);
        }
        out.close_empty();
    }
    if (graph.colours != colour_map::off) {
        out.open("colour_map");
        out.text("val", colour_map_name(graph.colours));
        out.close_empty();
    }
    if (!graph.colour_bar) {
        out.open("colour_bar");
        out.text("val", "off");
        out.close_empty();
    }
    if (graph.smooth_shading) {
        out.open("shading");
        out.text("val", "smooth");
        out.close_empty();
    }

    out.close("graph");
}

struct string_sink {
    std::string text;
    void write(const char* data, size_t size) { text.append(data, size); }
};

} // namespace

std::string graph_write_problem(const graph_document& graph) {
    constexpr auto limit = static_cast<size_t>(std::numeric_limits<std::int32_t>::max());
    if (graph.points.size() > limit || graph.faces.size() > limit)
        return "the graph has more points or faces than a graph file can hold";
    const auto finite = [](double v) { return std::isfinite(v); };
    for (size_t i = 0; i < graph.points.size(); ++i) {
        const data_point& p = graph.points[i];
        if (!finite(p.x) || !finite(p.y) || !finite(p.z))
            return "point " + std::to_string(i) + " has a coordinate that is not a finite number";
    }
    const auto count = static_cast<std::int64_t>(graph.points.size());
    for (size_t i = 0; i < graph.faces.size(); ++i) {
        const triangle& f = graph.faces[i];
        for (std::int32_t corner : {f.p0, f.p1, f.p2})
            if (corner < 0 || corner >= count)
                return "face " + std::to_string(i) + " names point " + std::to_string(corner) +
                       ", which does not exist";
    }
    for (const axis_limits* l : {&graph.limits.x, &graph.limits.y, &graph.limits.z})
        if ((l->min && !finite(*l->min)) || (l->max && !finite(*l->max)))
            return "an axis limit is not a finite number";
    const camera_view& c = graph.camera;
    for (float v : {c.alpha, c.betta, c.radius, c.move_a, c.move_b})
        if (!finite(v)) return "a camera value is not a finite number";
    return {};
}

std::string graph_file_text(const graph_document& graph, std::string_view program_version,
                            char decimal_separator) {
    if (!graph_write_problem(graph).empty()) return {};
    string_sink out;
    write_document(out, graph, program_version, decimal_separator);
    return std::move(out.text);
}

save_result save_graph_file(const std::filesystem::path& path, const graph_document& graph,
                            std::string_view program_version, char decimal_separator) {
    if (std::string problem = graph_write_problem(graph); !problem.empty())
        return {"Cannot save \"" + path.string() + "\": " + problem + "."};
    try {
        // An unwritable folder fails here, before anything is written.
        atomic_file file(path);
        if (!file.error().empty()) return {file.error()};
        write_document(file, graph, program_version, decimal_separator);
        // Every write went through the file, which fails the commit after
        // any failed one: the old file is replaced by a whole document or
        // not at all.
        if (!file.commit()) return {file.error()};
    } catch (const std::bad_alloc&) {
        return {"Cannot save \"" + path.string() + "\": " + not_enough_memory("write it") + "."};
    }
    return {};
}

} // namespace tessaline
