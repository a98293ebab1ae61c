#include "graph_writer.h"

#include "atomic_file.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <pugixml.hpp>

namespace tessaline {

namespace {

// Sets attribute values from numbers without going through the global locale.
class value_setter {
  public:
    explicit value_setter(char decimal_separator) : separator_(decimal_separator) {}

    void integer(pugi::xml_node node, const char* name, std::int64_t value) {
        char text[24];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        node.append_attribute(name).set_value(text, static_cast<size_t>(end - text));
    }
    void real(pugi::xml_node node, const char* name, double value) {
        const std::string text = general_text(value, separator_);
        node.append_attribute(name).set_value(text.data(), text.size());
    }
    void boolean(pugi::xml_node node, const char* name, bool value) {
        node.append_attribute(name).set_value(value ? "True" : "False");
    }
    void text(pugi::xml_node node, const char* name, const std::string& value) {
        node.append_attribute(name).set_value(value.data(), value.size());
    }

  private:
    char separator_;
};

void append_axis_integers(value_setter& set, pugi::xml_node root, const char* element,
                          const axis_values<std::int32_t>& values) {
    pugi::xml_node node = root.append_child(element);
    set.integer(node, "x_val", values.x);
    set.integer(node, "y_val", values.y);
    set.integer(node, "z_val", values.z);
}

void append_axis_flags(value_setter& set, pugi::xml_node root, const char* element,
                       const axis_values<bool>& values) {
    pugi::xml_node node = root.append_child(element);
    set.boolean(node, "x_val", values.x);
    set.boolean(node, "y_val", values.y);
    set.boolean(node, "z_val", values.z);
}

void build_document(pugi::xml_document& doc, const graph_document& graph,
                    std::string_view program_version, char decimal_separator) {
    value_setter set(decimal_separator);
    pugi::xml_node root = doc.append_child("graph");
    const auto single = [&](const char* element) { return root.append_child(element); };

    set.text(single("program_name"), "val", std::string(graph_file_product_name));
    set.text(single("version"), "val", std::string(program_version));

    pugi::xml_node points = single("df_points");
    set.integer(points, "size", static_cast<std::int64_t>(graph.points.size()));
    std::int64_t id = 0;
    for (const data_point& p : graph.points) {
        pugi::xml_node child = points.append_child("p");
        set.integer(child, "id", id++);
        set.real(child, "x", p.x);
        set.real(child, "y", p.y);
        set.real(child, "z", p.z);
    }
    pugi::xml_node faces = single("df_faces");
    set.integer(faces, "size", static_cast<std::int64_t>(graph.faces.size()));
    id = 0;
    for (const triangle& f : graph.faces) {
        pugi::xml_node child = faces.append_child("f");
        set.integer(child, "id", id++);
        set.integer(child, "p0", f.p0);
        set.integer(child, "p1", f.p1);
        set.integer(child, "p2", f.p2);
    }

    // Camera values are 32-bit; widened, they are written with their binary noise.
    set.real(single("screen_view_alpha"), "val", graph.camera.alpha);
    set.real(single("screen_view_betta"), "val", graph.camera.betta);
    set.real(single("screen_view_radius"), "val", graph.camera.radius);
    set.real(single("screen_view_move_a"), "val", graph.camera.move_a);
    set.real(single("screen_view_move_b"), "val", graph.camera.move_b);
    set.integer(single("space_selected_point_id"), "val", graph.selected_point_id);
    append_axis_integers(set, root, "shift_marks", graph.marks_step);
    append_axis_integers(set, root, "shift_scale", graph.zoom_step);
    pugi::xml_node captions = single("axis_caption");
    set.text(captions, "x_val", graph.captions.x);
    set.text(captions, "y_val", graph.captions.y);
    set.text(captions, "z_val", graph.captions.z);
    set.integer(single("shift_font_zoom"), "val", graph.font_zoom_step);
    set.integer(single("font_color"), "val", graph.font_color);
    set.integer(single("point_size"), "val", graph.point_size);
    append_axis_flags(set, root, "t_shift", graph.t_shift);
    append_axis_flags(set, root, "t_turn", graph.t_turn);
    append_axis_flags(set, root, "t_inv", graph.t_inv);
    append_axis_flags(set, root, "t_overturn", graph.t_overturn);
    pugi::xml_node modes = single("space_graph_mode");
    set.boolean(modes, "mode_points", graph.modes.mode_points);
    set.boolean(modes, "mode_lines", graph.modes.mode_lines);
    set.boolean(modes, "mode_poligones", graph.modes.mode_poligones);
}

// One element per line, no indentation, UTF-8, declaration without encoding.
void save_document(const pugi::xml_document& doc, pugi::xml_writer& out) {
    doc.save(out, "", pugi::format_indent, pugi::encoding_utf8);
}

struct string_output : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
};

struct file_output : pugi::xml_writer {
    explicit file_output(atomic_file& f) : file(f) {}
    atomic_file& file;
    void write(const void* data, size_t size) override {
        file.write(static_cast<const char*>(data), size);
    }
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
    const camera_view& c = graph.camera;
    for (float v : {c.alpha, c.betta, c.radius, c.move_a, c.move_b})
        if (!finite(v)) return "a camera value is not a finite number";
    return {};
}

std::string graph_file_text(const graph_document& graph, std::string_view program_version,
                            char decimal_separator) {
    if (!graph_write_problem(graph).empty()) return {};
    pugi::xml_document doc;
    build_document(doc, graph, program_version, decimal_separator);
    string_output out;
    save_document(doc, out);
    return std::move(out.text);
}

save_result save_graph_file(const std::filesystem::path& path, const graph_document& graph,
                            std::string_view program_version, char decimal_separator) {
    if (std::string problem = graph_write_problem(graph); !problem.empty())
        return {"Cannot save \"" + path.string() + "\": " + problem + "."};
    // An unwritable folder fails here, before the document is built.
    atomic_file file(path);
    if (!file.error().empty()) return {file.error()};
    pugi::xml_document doc;
    build_document(doc, graph, program_version, decimal_separator);
    file_output out(file);
    save_document(doc, out);
    if (!file.commit()) return {file.error()};
    return {};
}

} // namespace tessaline
