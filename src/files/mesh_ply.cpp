// PLY, binary little-endian: coordinates as doubles, so the file holds the
// data values exactly as they were imported.
#include "byte_block.h"
#include "mesh_writers.h"

#include <cstdint>

namespace tessaline {

void write_ply(atomic_file& out, const mesh_data& mesh) {
    const bool coloured = !mesh.colours.empty();
    byte_block block(out);
    std::string header = "ply\nformat binary_little_endian 1.0\ncomment Tessaline graph\n";
    header += "element vertex " + std::to_string(mesh.points.size()) + "\n";
    header += "property double x\nproperty double y\nproperty double z\n";
    if (coloured) header += "property uchar red\nproperty uchar green\nproperty uchar blue\n";
    // Points alone are a point cloud: no face element at all.
    if (!mesh.faces.empty()) {
        header += "element face " + std::to_string(mesh.faces.size()) + "\n";
        header += "property list uchar int vertex_indices\n";
    }
    header += "end_header\n";
    block.put(header);
    for (std::size_t i = 0; i < mesh.points.size(); ++i) {
        const data_point& p = mesh.points[i];
        block.put(p.x);
        block.put(p.y);
        block.put(p.z);
        if (coloured) {
            const rgb_triple c = mesh.colours[i];
            block.put(c.r);
            block.put(c.g);
            block.put(c.b);
        }
    }
    for (const triangle& face : mesh.faces) {
        const triangle f = face_upward(mesh, face);
        block.put(std::uint8_t{3});
        block.put(f.p0);
        block.put(f.p1);
        block.put(f.p2);
    }
}

} // namespace tessaline
