// glTF 2.0 binary (.glb): a JSON chunk and one BIN chunk holding the
// positions (float VEC3), the colours (normalized unsigned byte VEC4, four
// bytes so that every element starts on a 4-byte boundary) and the corner
// indices (unsigned int); points without faces become a POINTS primitive.
#include "byte_block.h"
#include "mesh_writers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace tessaline {

namespace {

constexpr std::uint32_t glb_magic = 0x46546C67;  // "glTF"
constexpr std::uint32_t json_chunk = 0x4E4F534A; // "JSON"
constexpr std::uint32_t bin_chunk = 0x004E4942;  // "BIN\0"
constexpr int float_type = 5126, unsigned_byte_type = 5121, unsigned_int_type = 5125;
constexpr int array_buffer = 34962, element_array_buffer = 34963;

// The float's exact value: min and max must equal what the accessor holds.
std::string number(float v) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, static_cast<double>(v)).ptr};
}

std::string triple(const float (&v)[3]) {
    return "[" + number(v[0]) + "," + number(v[1]) + "," + number(v[2]) + "]";
}

std::string view_json(std::size_t offset, std::size_t length, int target) {
    return "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
           ",\"byteLength\":" + std::to_string(length) + ",\"target\":" + std::to_string(target) +
           "}";
}

} // namespace

void write_glb(atomic_file& out, const mesh_data& mesh) {
    const bool coloured = !mesh.colours.empty();
    const bool faced = !mesh.faces.empty();
    const std::size_t n = mesh.points.size();
    const std::size_t position_bytes = 12 * n;
    const std::size_t colour_bytes = coloured ? 4 * n : 0;
    const std::size_t index_bytes = 12 * mesh.faces.size();
    const std::size_t bin_bytes = position_bytes + colour_bytes + index_bytes; // a multiple of 4

    float lo[3], hi[3];
    std::fill(lo, lo + 3, std::numeric_limits<float>::max());
    std::fill(hi, hi + 3, std::numeric_limits<float>::lowest());
    for (const data_point& p : mesh.points) {
        const float v[3] = {static_cast<float>(p.x), static_cast<float>(p.y),
                            static_cast<float>(p.z)};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], v[a]);
            hi[a] = std::max(hi[a], v[a]);
        }
    }

    std::string views = view_json(0, position_bytes, array_buffer);
    std::string accessors = "{\"bufferView\":0,\"componentType\":" + std::to_string(float_type) +
                            ",\"count\":" + std::to_string(n) +
                            ",\"type\":\"VEC3\",\"min\":" + triple(lo) + ",\"max\":" + triple(hi) +
                            "}";
    std::string attributes = "\"POSITION\":0";
    int next = 1;
    if (coloured) {
        views += "," + view_json(position_bytes, colour_bytes, array_buffer);
        accessors += ",{\"bufferView\":" + std::to_string(next) +
                     ",\"componentType\":" + std::to_string(unsigned_byte_type) +
                     ",\"normalized\":true,\"count\":" + std::to_string(n) + ",\"type\":\"VEC4\"}";
        attributes += ",\"COLOR_0\":" + std::to_string(next);
        ++next;
    }
    std::string primitive = "{\"attributes\":{" + attributes + "},\"material\":0";
    if (faced) {
        views += "," + view_json(position_bytes + colour_bytes, index_bytes, element_array_buffer);
        accessors += ",{\"bufferView\":" + std::to_string(next) +
                     ",\"componentType\":" + std::to_string(unsigned_int_type) +
                     ",\"count\":" + std::to_string(3 * mesh.faces.size()) +
                     ",\"type\":\"SCALAR\"}";
        primitive += ",\"indices\":" + std::to_string(next) + ",\"mode\":4}";
    } else {
        primitive += ",\"mode\":0}";
    }
    // Faces face up, but a surface is seen from below too: no culling.
    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Tessaline\"},"
                       "\"scene\":0,\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"mesh\":0}],"
                       "\"meshes\":[{\"primitives\":[" +
                       primitive +
                       "]}],\"materials\":[{\"pbrMetallicRoughness\":{\"metallicFactor\":0,"
                       "\"roughnessFactor\":1},\"doubleSided\":true}],"
                       "\"buffers\":[{\"byteLength\":" +
                       std::to_string(bin_bytes) + "}],\"bufferViews\":[" + views +
                       "],\"accessors\":[" + accessors + "]}";
    json.append((4 - json.size() % 4) % 4, ' ');

    byte_block block(out);
    block.put(glb_magic);
    block.put(std::uint32_t{2});
    block.put(static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + bin_bytes));
    block.put(static_cast<std::uint32_t>(json.size()));
    block.put(json_chunk);
    block.put(json);
    block.put(static_cast<std::uint32_t>(bin_bytes));
    block.put(bin_chunk);
    for (const data_point& p : mesh.points) {
        block.put(static_cast<float>(p.x));
        block.put(static_cast<float>(p.y));
        block.put(static_cast<float>(p.z));
    }
    for (const rgb_triple& c : mesh.colours) {
        block.put(c.r);
        block.put(c.g);
        block.put(c.b);
        block.put(std::uint8_t{255});
    }
    for (const triangle& face : mesh.faces) {
        const triangle f = face_upward(mesh, face);
        block.put(static_cast<std::uint32_t>(f.p0));
        block.put(static_cast<std::uint32_t>(f.p1));
        block.put(static_cast<std::uint32_t>(f.p2));
    }
}

} // namespace tessaline
