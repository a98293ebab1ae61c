#include "graph_reader.h"

#include "value_text.h"

#include "base/memory_error.h"
#include "base/work_stopped.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <pugixml.hpp>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaline {

namespace {

std::string in_quotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

pugi::xml_node next_element(pugi::xml_node node) {
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

// Element children of `parent`, counting no further than `limit`.
std::int64_t count_elements(pugi::xml_node parent, std::int64_t limit) {
    std::int64_t count = 0;
    for (pugi::xml_node n = next_element(parent.first_child()); n && count < limit;
         n = next_element(n.next_sibling()))
        ++count;
    return count;
}

// The graph data block: the child elements of "df_points" and "df_faces" by
// position, each naming its slot by "id". Fails whole, with a reason.
class graph_data_reader {
  public:
    graph_data_reader(std::string& error, const std::stop_token& stop)
        : error_(error), stop_(stop) {}

    bool read(pugi::xml_node root, data_points_& points, triangles& faces) {
        pugi::xml_node point_list = root.child("df_points");
        std::int32_t point_count = 0;
        if (!list_size(point_list, "df_points", point_count)) return false;
        points.assign(static_cast<size_t>(point_count), data_point{});
        std::int64_t position = 0;
        for (pugi::xml_node child = next_element(point_list.first_child()); position < point_count;
             child = next_element(child.next_sibling()), ++position) {
            if (position % 4096 == 0) throw_if_stopped(stop_);
            std::int32_t id = 0;
            data_point p;
            if (!slot(child, "df_points", position, point_count, id) ||
                !coordinate(child, "x", position, p.x) || !coordinate(child, "y", position, p.y) ||
                !coordinate(child, "z", position, p.z))
                return false;
            points[static_cast<size_t>(id)] = p;
        }

        pugi::xml_node face_list = root.child("df_faces");
        std::int32_t face_count = 0;
        if (!list_size(face_list, "df_faces", face_count)) return false;
        faces.assign(static_cast<size_t>(face_count), triangle{});
        position = 0;
        for (pugi::xml_node child = next_element(face_list.first_child()); position < face_count;
             child = next_element(child.next_sibling()), ++position) {
            if (position % 4096 == 0) throw_if_stopped(stop_);
            std::int32_t id = 0;
            triangle f;
            if (!slot(child, "df_faces", position, face_count, id) ||
                !corner(child, "p0", position, point_count, f.p0) ||
                !corner(child, "p1", position, point_count, f.p1) ||
                !corner(child, "p2", position, point_count, f.p2))
                return false;
            faces[static_cast<size_t>(id)] = f;
        }
        return true;
    }

  private:
    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    // "size" of a list element, which its children must be able to fill, so
    // that one attribute cannot make the reader allocate without bound.
    bool list_size(pugi::xml_node list, const char* element, std::int32_t& size) {
        if (!list) return fail("the file has no " + in_quotes(element) + " element");
        pugi::xml_attribute attribute = list.attribute("size");
        if (!attribute) return fail(in_quotes(element) + " has no \"size\" attribute");
        const std::optional<std::int32_t> value = parse_integer(attribute.value());
        if (!value)
            return fail("the size of " + in_quotes(element) +
                        " is not a whole number: " + in_quotes(attribute.value()));
        if (*value < 0) return fail("the size of " + in_quotes(element) + " is negative");
        const std::int64_t children = count_elements(list, *value);
        if (children < *value)
            return fail(in_quotes(element) + " has size " + std::to_string(*value) + " but only " +
                        std::to_string(children) + " entries");
        size = *value;
        return true;
    }

    bool missing(const char* list, std::int64_t position, const char* attribute) {
        return fail("entry " + std::to_string(position) + " of " + in_quotes(list) + " has no " +
                    in_quotes(attribute) + " attribute");
    }

    bool slot(pugi::xml_node child, const char* list, std::int64_t position, std::int32_t size,
              std::int32_t& id) {
        pugi::xml_attribute attribute = child.attribute("id");
        if (!attribute) return missing(list, position, "id");
        const std::optional<std::int32_t> value = parse_integer(attribute.value());
        if (!value || *value < 0 || *value >= size)
            return fail("entry " + std::to_string(position) + " of " + in_quotes(list) +
                        " has the id " + in_quotes(attribute.value()) + ", not one of 0 to " +
                        std::to_string(std::int64_t{size} - 1));
        id = *value;
        return true;
    }

    bool coordinate(pugi::xml_node child, const char* name, std::int64_t position, double& out) {
        pugi::xml_attribute attribute = child.attribute(name);
        if (!attribute) return missing("df_points", position, name);
        const std::optional<double> value = parse_real(attribute.value());
        if (!value)
            return fail("entry " + std::to_string(position) + " of \"df_points\" has " +
                        in_quotes(name) + " " + in_quotes(attribute.value()) +
                        ", which is not a finite number");
        out = *value;
        return true;
    }

    bool corner(pugi::xml_node child, const char* name, std::int64_t position,
                std::int32_t point_count, std::int32_t& out) {
        pugi::xml_attribute attribute = child.attribute(name);
        if (!attribute) return missing("df_faces", position, name);
        const std::optional<std::int32_t> value = parse_integer(attribute.value());
        if (!value || *value < 0 || *value >= point_count)
            return fail("entry " + std::to_string(position) + " of \"df_faces\" has " +
                        in_quotes(name) + " " + in_quotes(attribute.value()) +
                        ", not a point of the " + std::to_string(point_count) + " in the file");
        out = *value;
        return true;
    }

    std::string& error_;
    const std::stop_token& stop_;
};

// The view block: each value read moves the count on; the first bad one stops.
class view_reader {
  public:
    view_reader(pugi::xml_node root, graph_read& out) : root_(root), out_(out) {}

    bool camera(const char* element, float& target) {
        std::string_view text;
        if (!find(element, "val", text)) return false;
        const std::optional<double> value = parse_real(text);
        // The screen keeps 32-bit values: one beyond that range is no camera value.
        if (!value || !std::isfinite(static_cast<float>(*value)))
            return fail(element, "val", text, "a number");
        target = static_cast<float>(*value);
        return done();
    }
    bool integer(const char* element, const char* attribute, std::int32_t& target) {
        std::string_view text;
        if (!find(element, attribute, text)) return false;
        const std::optional<std::int32_t> value = parse_integer(text);
        if (!value) return fail(element, attribute, text, "a whole number");
        target = *value;
        return done();
    }
    bool text(const char* element, const char* attribute, std::string& target) {
        std::string_view text;
        if (!find(element, attribute, text)) return false;
        target = text;
        return done();
    }
    bool boolean(const char* element, const char* attribute, bool& target) {
        std::string_view text;
        if (!find(element, attribute, text)) return false;
        const std::optional<bool> value = parse_boolean(text);
        if (!value) return fail(element, attribute, text, "True or False");
        target = *value;
        return done();
    }
    bool axis_integers(const char* element, axis_values<std::int32_t>& target) {
        return integer(element, "x_val", target.x) && integer(element, "y_val", target.y) &&
               integer(element, "z_val", target.z);
    }
    bool axis_flags(const char* element, axis_values<bool>& target) {
        return boolean(element, "x_val", target.x) && boolean(element, "y_val", target.y) &&
               boolean(element, "z_val", target.z);
    }

  private:
    bool find(const char* element, const char* attribute, std::string_view& text) {
        pugi::xml_node node = root_.child(element);
        if (!node) {
            out_.view_error = "the file has no " + in_quotes(element) + " element";
            return false;
        }
        pugi::xml_attribute a = node.attribute(attribute);
        if (!a) {
            out_.view_error = in_quotes(element) + " has no " + in_quotes(attribute) + " attribute";
            return false;
        }
        text = a.value();
        return true;
    }
    bool fail(const char* element, const char* attribute, std::string_view text,
              const char* expected) {
        out_.view_error = "the " + in_quotes(attribute) + " of " + in_quotes(element) + " is " +
                          in_quotes(text) + ", not " + expected;
        return false;
    }
    bool done() {
        ++out_.view_values_read;
        return true;
    }

    pugi::xml_node root_;
    graph_read& out_;
};

bool read_view(pugi::xml_node root, graph_read& out) {
    view_reader v(root, out);
    graph_document& d = out.document;
    return v.camera("screen_view_alpha", d.camera.alpha) &&
           v.camera("screen_view_betta", d.camera.betta) &&
           v.camera("screen_view_radius", d.camera.radius) &&
           v.camera("screen_view_move_a", d.camera.move_a) &&
           v.camera("screen_view_move_b", d.camera.move_b) &&
           v.integer("space_selected_point_id", "val", d.selected_point_id) &&
           v.axis_integers("shift_marks", d.marks_step) &&
           v.axis_integers("shift_scale", d.zoom_step) &&
           v.text("axis_caption", "x_val", d.captions.x) &&
           v.text("axis_caption", "y_val", d.captions.y) &&
           v.text("axis_caption", "z_val", d.captions.z) &&
           v.integer("shift_font_zoom", "val", d.font_zoom_step) &&
           v.integer("font_color", "val", d.font_color) &&
           v.integer("point_size", "val", d.point_size) && v.axis_flags("t_shift", d.t_shift) &&
           v.axis_flags("t_turn", d.t_turn) && v.axis_flags("t_inv", d.t_inv) &&
           v.axis_flags("t_overturn", d.t_overturn) &&
           v.boolean("space_graph_mode", "mode_points", d.modes.mode_points) &&
           v.boolean("space_graph_mode", "mode_lines", d.modes.mode_lines) &&
           v.boolean("space_graph_mode", "mode_poligones", d.modes.mode_poligones);
}

// The later elements, each on its own: one that is missing or holds a value
// this version does not know leaves the classic view's value.
void read_later_view(pugi::xml_node root, graph_document& d) {
    const std::string_view scaling = root.child("axis_scaling").attribute("val").as_string();
    d.scaling = scaling == "fit" ? axis_scaling::fit : axis_scaling::classic;
    const std::string_view projection = root.child("projection").attribute("val").as_string();
    d.orthographic = projection == "orthographic";
    const pugi::xml_node limits = root.child("axis_limits");
    const auto side = [&limits](const char* name) -> std::optional<double> {
        const pugi::xml_attribute attribute = limits.attribute(name);
        return attribute ? parse_real(attribute.value()) : std::nullopt;
    };
    d.limits.x = {side("x_min"), side("x_max")};
    d.limits.y = {side("y_min"), side("y_max")};
    d.limits.z = {side("z_min"), side("z_max")};
    d.colours = colour_map_named(root.child("colour_map").attribute("val").as_string())
                    .value_or(colour_map::off);
    d.colour_bar = std::string_view(root.child("colour_bar").attribute("val").as_string()) != "off";
    d.smooth_shading =
        std::string_view(root.child("shading").attribute("val").as_string()) == "smooth";
}

graph_read read_document(const pugi::xml_document& doc, const std::string& name,
                         const std::stop_token& stop = {}) {
    graph_read out;
    const pugi::xml_node root = doc.document_element();
    const pugi::xml_node program = root.child("program_name");
    if (!program) {
        out.error = name + " is not a graph file: it has no \"program_name\" element.";
        return out;
    }
    const pugi::xml_attribute product = program.attribute("val");
    if (!product) {
        out.error = name + " is not a graph file: its \"program_name\" has no \"val\" attribute.";
        return out;
    }
    if (product.value() != graph_file_product_name) {
        out.status = graph_file_status::other_program;
        out.error = name + " is a file of another program (" + in_quotes(product.value()) + ").";
        return out;
    }
    out.status = graph_file_status::read;
    graph_data_reader graph_data(out.graph_error, stop);
    out.graph_loaded = graph_data.read(root, out.document.points, out.document.faces);
    if (!out.graph_loaded) {
        out.document.points = {};
        out.document.faces = {};
    }
    read_view(root, out);
    read_later_view(root, out.document);
    return out;
}

graph_read parse_error(const pugi::xml_parse_result& result, const char* text, size_t size,
                       const std::string& name) {
    graph_read out;
    out.error = name + " is not well-formed XML: " + result.description();
    if (result.status != pugi::status_no_document_element && result.offset >= 0 &&
        static_cast<size_t>(result.offset) <= size) {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < static_cast<size_t>(result.offset); ++i) {
            if (text[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        out.error += " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
    }
    out.error += ".";
    return out;
}

graph_read cannot_open(const std::string& name, int error_number) {
    graph_read out;
    out.error = "Cannot open " + name + ": " + std::strerror(error_number) + ".";
    return out;
}

// The whole file in one buffer, which the parser then works on in place.
struct file_bytes {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    std::uint64_t file_size = 0;
    int error_number = 0;
    std::string refusal; // why the file is not read further, after the name
    bool table_or_workbook = false;
    bool out_of_memory = false;
};

// Why bytes that begin a file cannot begin a graph file (a workbook, or text
// without any markup, as tables are), or nothing. `whole`: the bytes are the
// whole file.
std::string no_markup(const char* data, size_t size, bool whole) {
    const std::string_view start(data, std::min<size_t>(size, 8));
    if (start.starts_with("PK\x03\x04"))
        return "it is a zip package, as .xlsx and .ods workbooks are";
    if (start == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return "it is a compound file, as .xls workbooks are";
    if (std::memchr(data, '<', size) != nullptr) return {};
    return whole ? "it holds no XML markup" : "its first 64 KB hold no XML markup";
}

// What reading a graph file of `file_size` bytes takes at its peak: the text,
// the parser's nodes over it, and the graph taken from them.
std::uint64_t memory_to_read(std::uint64_t file_size) {
    return file_size * graph_file_memory_per_byte;
}

// A graph file has markup within its first bytes; one without any (a table,
// a disk image, a sparse file of zeros) is not read on to its end.
constexpr size_t sniff_size = 64 * 1024;
// Growing from this, the buffer only ever holds what was really read: the
// size a file claims (or a device that never ends) is not taken on trust.
constexpr size_t first_capacity = 4 * 1024 * 1024;

void grow(file_bytes& bytes, size_t& capacity) {
    size_t larger = capacity * 2;
    // A regular file that does not grow while read needs one byte more than
    // its size, for the parser's terminator.
    if (bytes.file_size + 1 > capacity && bytes.file_size + 1 < larger)
        larger = static_cast<size_t>(bytes.file_size + 1);
    auto data = std::make_unique_for_overwrite<char[]>(larger);
    std::memcpy(data.get(), bytes.data.get(), bytes.size);
    bytes.data = std::move(data);
    capacity = larger;
}

file_bytes read_whole_file(const std::filesystem::path& path, const std::stop_token& stop) {
    file_bytes bytes;
    // Not blocking, so that a named pipe without a writer cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        bytes.error_number = errno;
        return bytes;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        bytes.error_number = errno;
        ::close(fd);
        return bytes;
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        bytes.error_number = EISDIR;
        return bytes;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        bytes.refusal = "it is not a regular file";
        return bytes;
    }
    bytes.file_size = static_cast<std::uint64_t>(info.st_size);
    const std::uint64_t wanted = std::min<std::uint64_t>(bytes.file_size + 1, first_capacity);
    size_t capacity = static_cast<size_t>(std::max<std::uint64_t>(wanted, 1));
    bytes.data = std::make_unique_for_overwrite<char[]>(capacity);
    bool sniffed = false;
    for (;;) {
        if (stop.stop_requested()) break;
        if (bytes.size == capacity) grow(bytes, capacity);
        const ssize_t n = ::read(fd, bytes.data.get() + bytes.size, capacity - bytes.size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.error_number = errno;
            break;
        }
        if (n == 0) break;
        bytes.size += static_cast<size_t>(n);
        if (!sniffed && bytes.size >= sniff_size) {
            sniffed = true;
            bytes.refusal = no_markup(bytes.data.get(), sniff_size, false);
            if (!bytes.refusal.empty()) break;
            // A file far beyond the memory is refused before it is read for
            // minutes and the system has to take memory from other programs.
            const std::uint64_t available = memory_available();
            if (available > 0 && memory_to_read(bytes.file_size) > available) {
                bytes.out_of_memory = true;
                break;
            }
        }
    }
    ::close(fd);
    throw_if_stopped(stop);
    if (!sniffed && bytes.size > 0 && bytes.error_number == 0)
        bytes.refusal = no_markup(bytes.data.get(), bytes.size, true);
    bytes.table_or_workbook = !bytes.refusal.empty();
    return bytes;
}

graph_read out_of_memory(const std::string& name, std::uint64_t file_size) {
    graph_read out;
    out.error = "Cannot open " + name + ": " +
                not_enough_memory("read it", memory_to_read(file_size)) + ".";
    return out;
}

} // namespace

graph_read read_graph_file(const std::filesystem::path& path, std::stop_token stop) {
    const std::string name = in_quotes(path.string());
    std::uint64_t file_size = 0;
    try {
        file_bytes bytes = read_whole_file(path, stop);
        file_size = bytes.file_size;
        if (bytes.error_number != 0) return cannot_open(name, bytes.error_number);
        if (bytes.out_of_memory) return out_of_memory(name, file_size);
        if (!bytes.refusal.empty()) {
            graph_read out;
            out.error = name + " is not a graph file: " + bytes.refusal + ".";
            out.table_or_workbook = bytes.table_or_workbook;
            return out;
        }
        pugi::xml_document doc;
        const pugi::xml_parse_result result = doc.load_buffer_inplace(
            bytes.data.get(), bytes.size, pugi::parse_default, pugi::encoding_auto);
        if (result.status == pugi::status_out_of_memory) return out_of_memory(name, file_size);
        if (!result) return parse_error(result, bytes.data.get(), bytes.size, name);
        throw_if_stopped(stop);
        return read_document(doc, name, stop);
    } catch (const std::bad_alloc&) {
        return out_of_memory(name, file_size);
    }
}

graph_read read_graph_text(std::string_view text, std::string_view name) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto);
    if (!result) return parse_error(result, text.data(), text.size(), std::string(name));
    return read_document(doc, std::string(name));
}

} // namespace tessaline
