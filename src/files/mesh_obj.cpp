// Wavefront OBJ: one "v" line per point with the shortest text that reads
// back as the same double ("." whatever the locale), colours as three more
// numbers in 0 .. 1 (as MeshLab and Blender read them), 1-based faces.
#include "byte_block.h"
#include "mesh_writers.h"

#include <charconv>

namespace tessaline {

namespace {

void put_number(std::string& line, double v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    line += ' ';
    line.append(text, end);
}

void put_index(std::string& line, std::int32_t id) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, std::int64_t{id} + 1).ptr;
    line += ' ';
    line.append(text, end);
}

} // namespace

void write_obj(atomic_file& out, const mesh_data& mesh) {
    const bool coloured = !mesh.colours.empty();
    byte_block block(out);
    block.put("# Tessaline graph: " + std::to_string(mesh.points.size()) + " points, " +
              std::to_string(mesh.faces.size()) + " faces\n");
    std::string line;
    for (std::size_t i = 0; i < mesh.points.size(); ++i) {
        const data_point& p = mesh.points[i];
        line = "v";
        put_number(line, p.x);
        put_number(line, p.y);
        put_number(line, p.z);
        if (coloured) {
            const rgb_triple c = mesh.colours[i];
            // n / 255 in its shortest text reads back to the same byte.
            put_number(line, c.r / 255.0);
            put_number(line, c.g / 255.0);
            put_number(line, c.b / 255.0);
        }
        line += '\n';
        block.put(line);
    }
    for (const triangle& face : mesh.faces) {
        const triangle f = face_upward(mesh, face);
        line = "f";
        put_index(line, f.p0);
        put_index(line, f.p1);
        put_index(line, f.p2);
        line += '\n';
        block.put(line);
    }
}

} // namespace tessaline
