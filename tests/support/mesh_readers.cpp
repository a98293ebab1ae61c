#include "mesh_readers.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tessaline::testing {

namespace {

std::string bytes_of(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename T> T get(const std::string& data, std::size_t at) {
    T v;
    std::memcpy(&v, data.data() + at, sizeof v);
    return v;
}

read_mesh failed(std::string why) {
    read_mesh m;
    m.error = std::move(why);
    return m;
}

} // namespace

read_mesh read_ply(const std::filesystem::path& path) {
    const std::string data = bytes_of(path);
    const std::size_t end = data.find("end_header\n");
    if (data.rfind("ply\n", 0) != 0 || end == std::string::npos) return failed("no PLY header");
    std::istringstream header(data.substr(0, end));
    std::string line;
    std::getline(header, line);
    std::getline(header, line);
    if (line != "format binary_little_endian 1.0") return failed("format line: " + line);
    // Only the layout the tests expect: doubles, optional uchar colours, int lists.
    std::size_t vertices = 0, faces = 0;
    std::vector<std::string> vertex_props;
    bool in_faces = false, has_face_list = false;
    while (std::getline(header, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "comment") continue;
        if (word == "element") {
            std::string name;
            std::size_t count = 0;
            words >> name >> count;
            if (name == "vertex" && !in_faces)
                vertices = count;
            else if (name == "face")
                in_faces = true, faces = count;
            else
                return failed("unexpected element " + name);
        } else if (word == "property") {
            std::string type, name;
            words >> type;
            if (type == "list") {
                std::string count_type, item_type;
                words >> count_type >> item_type >> name;
                if (!in_faces || count_type != "uchar" || item_type != "int" ||
                    name != "vertex_indices")
                    return failed("face list: " + line);
                has_face_list = true;
            } else {
                words >> name;
                if (in_faces) return failed("face property " + line);
                vertex_props.push_back(type + " " + name);
            }
        } else {
            return failed("header line: " + line);
        }
    }
    const std::vector<std::string> plain{"double x", "double y", "double z"};
    std::vector<std::string> coloured = plain;
    coloured.insert(coloured.end(), {"uchar red", "uchar green", "uchar blue"});
    const bool with_colours = vertex_props == coloured;
    if (!with_colours && vertex_props != plain) return failed("vertex properties");
    if (in_faces && !has_face_list) return failed("face element without its list");

    read_mesh m;
    std::size_t at = end + std::strlen("end_header\n");
    const std::size_t vertex_size = 24 + (with_colours ? 3 : 0);
    if (data.size() < at + vertices * vertex_size) return failed("vertices cut short");
    for (std::size_t i = 0; i < vertices; ++i, at += vertex_size) {
        m.points.push_back(
            {get<double>(data, at), get<double>(data, at + 8), get<double>(data, at + 16)});
        if (with_colours)
            m.colours.push_back({get<std::uint8_t>(data, at + 24), get<std::uint8_t>(data, at + 25),
                                 get<std::uint8_t>(data, at + 26)});
    }
    for (std::size_t i = 0; i < faces; ++i) {
        if (data.size() < at + 13) return failed("faces cut short");
        if (get<std::uint8_t>(data, at) != 3) return failed("a face that is no triangle");
        std::array<std::uint32_t, 3> f{};
        for (int k = 0; k < 3; ++k) {
            const auto id = get<std::int32_t>(data, at + 1 + 4 * k);
            if (id < 0 || static_cast<std::size_t>(id) >= vertices)
                return failed("face corner out of range");
            f[k] = static_cast<std::uint32_t>(id);
        }
        m.faces.push_back(f);
        at += 13;
    }
    if (at != data.size()) return failed("bytes after the last element");
    return m;
}

read_mesh read_obj(const std::filesystem::path& path) {
    std::istringstream in(bytes_of(path));
    read_mesh m;
    std::string line;
    const auto number = [](const std::string& word, double& v) {
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), v);
        return error == std::errc() && end == word.data() + word.size();
    };
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string kind, word;
        words >> kind;
        std::vector<std::string> items;
        while (words >> word)
            items.push_back(word);
        if (kind == "v") {
            if (items.size() != 3 && items.size() != 6) return failed("v line: " + line);
            double v[6];
            for (std::size_t k = 0; k < items.size(); ++k)
                if (!number(items[k], v[k])) return failed("number: " + items[k]);
            m.points.push_back({v[0], v[1], v[2]});
            if (items.size() == 6) {
                std::array<std::uint8_t, 3> c{};
                for (int k = 0; k < 3; ++k) {
                    if (v[3 + k] < 0 || v[3 + k] > 1) return failed("colour beyond 0..1");
                    c[k] = static_cast<std::uint8_t>(std::lround(v[3 + k] * 255));
                }
                m.colours.push_back(c);
            }
        } else if (kind == "f") {
            if (items.size() != 3) return failed("f line: " + line);
            std::array<std::uint32_t, 3> f{};
            for (int k = 0; k < 3; ++k) {
                long id = 0;
                const auto [end, error] =
                    std::from_chars(items[k].data(), items[k].data() + items[k].size(), id);
                if (error != std::errc() || end != items[k].data() + items[k].size() || id < 1 ||
                    static_cast<std::size_t>(id) > m.points.size())
                    return failed("face corner: " + items[k]);
                f[k] = static_cast<std::uint32_t>(id - 1);
            }
            m.faces.push_back(f);
        } else {
            return failed("unexpected line: " + line);
        }
    }
    if (!m.colours.empty() && m.colours.size() != m.points.size())
        return failed("colours on some points only");
    return m;
}

read_mesh read_stl(const std::filesystem::path& path) {
    const std::string data = bytes_of(path);
    if (data.size() < 84) return failed("shorter than the STL header");
    if (data.rfind("solid", 0) == 0) return failed("a binary STL must not start with \"solid\"");
    const auto count = get<std::uint32_t>(data, 80);
    if (data.size() != 84 + 50 * std::size_t{count}) return failed("size is not 84 + 50 x count");
    read_mesh m;
    for (std::size_t i = 0, at = 84; i < count; ++i, at += 50) {
        m.normals.push_back(
            {get<float>(data, at), get<float>(data, at + 4), get<float>(data, at + 8)});
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t c = at + 12 + 12 * k;
            m.points.push_back(
                {get<float>(data, c), get<float>(data, c + 4), get<float>(data, c + 8)});
        }
    }
    return m;
}

namespace {

std::size_t component_size(int type) {
    switch (type) {
    case 5120:
    case 5121:
        return 1;
    case 5122:
    case 5123:
        return 2;
    case 5125:
    case 5126:
        return 4;
    }
    return 0;
}

std::size_t component_count(const QString& type) {
    if (type == "SCALAR") return 1;
    if (type == "VEC2") return 2;
    if (type == "VEC3") return 3;
    if (type == "VEC4") return 4;
    return 0;
}

struct accessor_view {
    std::string error;
    std::size_t start = 0, stride = 0, count = 0, components = 0;
    int component_type = 0;
    bool normalized = false;
};

// Resolves an accessor to its bytes in the BIN chunk, checking every bound.
accessor_view resolve(const QJsonObject& gltf, int index, std::size_t bin_start,
                      std::size_t buffer_length, bool vertex_attribute) {
    accessor_view v;
    const QJsonArray accessors = gltf["accessors"].toArray();
    if (index < 0 || index >= accessors.size()) return {"accessor index out of range"};
    const QJsonObject a = accessors[index].toObject();
    const QJsonArray views = gltf["bufferViews"].toArray();
    const int view_index = a["bufferView"].toInt(-1);
    if (view_index < 0 || view_index >= views.size()) return {"bufferView index out of range"};
    const QJsonObject view = views[view_index].toObject();
    if (view["buffer"].toInt(-1) != 0) return {"bufferView of another buffer"};
    const auto view_offset = static_cast<std::size_t>(view["byteOffset"].toInteger(0));
    const auto view_length = static_cast<std::size_t>(view["byteLength"].toInteger(0));
    if (view_length == 0 || view_offset + view_length > buffer_length)
        return {"bufferView beyond the buffer"};
    v.component_type = a["componentType"].toInt();
    v.components = component_count(a["type"].toString());
    v.count = static_cast<std::size_t>(a["count"].toInteger(0));
    v.normalized = a["normalized"].toBool(false);
    const std::size_t size = component_size(v.component_type);
    if (size == 0 || v.components == 0 || v.count == 0) return {"accessor type or count"};
    const auto offset = static_cast<std::size_t>(a["byteOffset"].toInteger(0));
    const std::size_t element = size * v.components;
    v.stride = view.contains("byteStride")
                   ? static_cast<std::size_t>(view["byteStride"].toInteger())
                   : element;
    if ((view_offset + offset) % size != 0) return {"accessor not aligned to its component"};
    if (vertex_attribute && (offset % 4 != 0 || v.stride % 4 != 0))
        return {"vertex attribute not aligned to 4 bytes"};
    if (offset + v.stride * (v.count - 1) + element > view_length)
        return {"accessor beyond its bufferView"};
    v.start = bin_start + view_offset + offset;
    return v;
}

} // namespace

read_mesh read_glb(const std::filesystem::path& path) {
    const std::string data = bytes_of(path);
    if (data.size() < 20) return failed("shorter than the glb header");
    if (get<std::uint32_t>(data, 0) != 0x46546C67) return failed("magic");
    if (get<std::uint32_t>(data, 4) != 2) return failed("container version");
    if (get<std::uint32_t>(data, 8) != data.size()) return failed("length is not the file size");
    const auto json_length = get<std::uint32_t>(data, 12);
    if (get<std::uint32_t>(data, 16) != 0x4E4F534A) return failed("first chunk is not JSON");
    if (json_length % 4 != 0) return failed("JSON chunk not padded to 4 bytes");
    if (20 + std::size_t{json_length} > data.size()) return failed("JSON chunk beyond the file");
    std::size_t bin_start = 0, bin_length = 0;
    const std::size_t after_json = 20 + json_length;
    if (after_json < data.size()) {
        if (after_json + 8 > data.size()) return failed("BIN chunk header cut short");
        bin_length = get<std::uint32_t>(data, after_json);
        if (get<std::uint32_t>(data, after_json + 4) != 0x004E4942)
            return failed("second chunk is not BIN");
        if (bin_length % 4 != 0) return failed("BIN chunk not padded to 4 bytes");
        bin_start = after_json + 8;
        if (bin_start + bin_length != data.size()) return failed("BIN chunk length");
    }
    QJsonParseError parse{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(data.data() + 20, json_length), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject()) return failed("JSON");
    const QJsonObject gltf = doc.object();
    if (gltf["asset"].toObject()["version"].toString() != "2.0") return failed("asset.version");
    const QJsonArray buffers = gltf["buffers"].toArray();
    if (buffers.size() != 1 || buffers[0].toObject().contains("uri"))
        return failed("one buffer, the BIN chunk");
    const auto buffer_length =
        static_cast<std::size_t>(buffers[0].toObject()["byteLength"].toInteger());
    if (buffer_length > bin_length || bin_length - buffer_length > 3)
        return failed("buffer length does not fit the BIN chunk");
    const int scene = gltf["scene"].toInt(-1);
    const QJsonArray scenes = gltf["scenes"].toArray();
    if (scene < 0 || scene >= scenes.size()) return failed("scene");
    const QJsonArray nodes = gltf["nodes"].toArray();
    const QJsonArray scene_nodes = scenes[scene].toObject()["nodes"].toArray();
    if (scene_nodes.size() != 1 || scene_nodes[0].toInt(-1) < 0 ||
        scene_nodes[0].toInt() >= nodes.size())
        return failed("scene nodes");
    const int mesh_index = nodes[scene_nodes[0].toInt()].toObject()["mesh"].toInt(-1);
    const QJsonArray meshes = gltf["meshes"].toArray();
    if (mesh_index < 0 || mesh_index >= meshes.size()) return failed("node mesh");
    const QJsonArray primitives = meshes[mesh_index].toObject()["primitives"].toArray();
    if (primitives.size() != 1) return failed("one primitive");
    const QJsonObject primitive = primitives[0].toObject();
    const QJsonArray materials = gltf["materials"].toArray();
    if (primitive.contains("material") &&
        (primitive["material"].toInt(-1) < 0 || primitive["material"].toInt() >= materials.size()))
        return failed("material index");

    read_mesh m;
    m.mode = primitive["mode"].toInt(4);
    const QJsonObject attributes = primitive["attributes"].toObject();
    const accessor_view position =
        resolve(gltf, attributes["POSITION"].toInt(-1), bin_start, buffer_length, true);
    if (!position.error.empty()) return failed("POSITION: " + position.error);
    if (position.component_type != 5126 || position.components != 3)
        return failed("POSITION is not float VEC3");
    std::array<double, 3> lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (std::size_t i = 0; i < position.count; ++i) {
        const std::size_t at = position.start + i * position.stride;
        std::array<double, 3> p{};
        for (int k = 0; k < 3; ++k) {
            p[k] = get<float>(data, at + 4 * k);
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
        m.points.push_back(p);
    }
    const QJsonObject pa = gltf["accessors"].toArray()[attributes["POSITION"].toInt()].toObject();
    const QJsonArray min = pa["min"].toArray(), max = pa["max"].toArray();
    if (min.size() != 3 || max.size() != 3) return failed("POSITION needs min and max");
    for (int k = 0; k < 3; ++k)
        if (min[k].toDouble() != lo[k] || max[k].toDouble() != hi[k])
            return failed("POSITION min or max differs from the data");

    if (attributes.contains("COLOR_0")) {
        const accessor_view c =
            resolve(gltf, attributes["COLOR_0"].toInt(-1), bin_start, buffer_length, true);
        if (!c.error.empty()) return failed("COLOR_0: " + c.error);
        if (c.component_type != 5121 || !c.normalized || c.components < 3 ||
            c.count != position.count)
            return failed("COLOR_0 is not normalized unsigned bytes, one per vertex");
        for (std::size_t i = 0; i < c.count; ++i) {
            const std::size_t at = c.start + i * c.stride;
            m.colours.push_back({get<std::uint8_t>(data, at), get<std::uint8_t>(data, at + 1),
                                 get<std::uint8_t>(data, at + 2)});
        }
    }
    if (primitive.contains("indices")) {
        const accessor_view ix =
            resolve(gltf, primitive["indices"].toInt(-1), bin_start, buffer_length, false);
        if (!ix.error.empty()) return failed("indices: " + ix.error);
        if (ix.component_type != 5125 || ix.components != 1 || ix.count % 3 != 0)
            return failed("indices are not unsigned int triangles");
        for (std::size_t i = 0; i < ix.count; i += 3) {
            std::array<std::uint32_t, 3> f{};
            for (std::size_t k = 0; k < 3; ++k) {
                f[k] = get<std::uint32_t>(data, ix.start + (i + k) * ix.stride);
                if (f[k] >= position.count) return failed("index beyond the vertices");
            }
            m.faces.push_back(f);
        }
    }
    return m;
}

} // namespace tessaline::testing
