// Strict readers of the exported mesh formats, written from the formats'
// descriptions and sharing no code with the writers: each refuses a file that
// breaks its format with the reason, so a test sees what another program sees.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaline::testing {

struct read_mesh {
    std::string error; // empty when the file is well-formed
    std::vector<std::array<double, 3>> points;
    std::vector<std::array<std::uint32_t, 3>> faces; // 0-based
    std::vector<std::array<std::uint8_t, 3>> colours;
    // STL: each facet's stored normal (its corners are in `points`, three a facet).
    std::vector<std::array<float, 3>> normals;
    // glTF: the primitive's mode (0 points, 4 triangles).
    int mode = -1;
};

read_mesh read_ply(const std::filesystem::path& path);
read_mesh read_obj(const std::filesystem::path& path);
read_mesh read_stl(const std::filesystem::path& path);
// Checks what the glTF 2.0 specification asks of the container and the
// accessors as well: chunk lengths and types, 4-byte alignment, buffer views
// inside the buffer, accessors inside their views, POSITION min and max equal
// to the data, indices below the vertex count.
read_mesh read_glb(const std::filesystem::path& path);

} // namespace tessaline::testing
