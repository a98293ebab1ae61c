#include "mesh_export.h"

#include "base/atomic_file.h"
#include "base/memory_error.h"
#include "base/work_stopped.h"
#include "mesh_writers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <new>

namespace tessaline {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// STL and glTF keep 32-bit floats: a value beyond them would be written as infinity.
bool fits_float(double v) {
    return std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max());
}

} // namespace

std::optional<mesh_format> mesh_format_named(std::string_view name) {
    std::string n = lower(name);
    if (!n.empty() && n.front() == '.') n.erase(0, 1);
    if (n == "ply") return mesh_format::ply;
    if (n == "obj") return mesh_format::obj;
    if (n == "stl") return mesh_format::stl;
    if (n == "glb") return mesh_format::glb;
    return std::nullopt;
}

std::optional<mesh_format> mesh_format_of_path(const std::filesystem::path& path) {
    const std::string ext = path.extension().string();
    if (ext.empty()) return std::nullopt;
    return mesh_format_named(ext);
}

std::string_view mesh_format_extension(mesh_format format) {
    switch (format) {
    case mesh_format::ply:
        return "ply";
    case mesh_format::obj:
        return "obj";
    case mesh_format::stl:
        return "stl";
    case mesh_format::glb:
        return "glb";
    }
    return "";
}

std::string mesh_export_problem(const mesh_data& mesh, mesh_format format) {
    if (mesh.points.empty()) return "the graph has no point";
    if (format == mesh_format::stl && mesh.faces.empty())
        return "an STL file holds only triangles and the graph has no face (PLY, OBJ and glTF "
               "keep points alone)";
    if (!mesh.colours.empty() && mesh.colours.size() != mesh.points.size())
        return "the colours do not match the points";
    const bool single = format == mesh_format::stl || format == mesh_format::glb;
    for (const data_point& p : mesh.points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return "a coordinate is not a finite number";
        if (single && (!fits_float(p.x) || !fits_float(p.y) || !fits_float(p.z)))
            return "a coordinate is beyond the 32-bit numbers of the format";
    }
    const auto count = static_cast<std::int64_t>(mesh.points.size());
    for (const triangle& f : mesh.faces)
        for (const std::int32_t c : {f.p0, f.p1, f.p2})
            if (c < 0 || c >= count) return "a face names a point that does not exist";
    return {};
}

triangle face_upward(const mesh_data& mesh, const triangle& face) {
    const data_point& a = mesh.points[static_cast<size_t>(face.p0)];
    const data_point& b = mesh.points[static_cast<size_t>(face.p1)];
    const data_point& c = mesh.points[static_cast<size_t>(face.p2)];
    const double turn = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    return turn < 0 ? triangle{face.p0, face.p2, face.p1} : face;
}

mesh_export_result export_mesh(const std::filesystem::path& path, const mesh_data& mesh,
                               mesh_format format, const std::stop_token& stop) {
    const std::string name = "\"" + path.string() + "\"";
    if (std::string problem = mesh_export_problem(mesh, format); !problem.empty())
        return {"Cannot export " + name + ": " + problem + "."};
    try {
        atomic_file file(path);
        if (!file.error().empty()) return {file.error()};
        switch (format) {
        case mesh_format::ply:
            write_ply(file, mesh);
            break;
        case mesh_format::obj:
            write_obj(file, mesh);
            break;
        case mesh_format::glb:
            write_glb(file, mesh);
            break;
        case mesh_format::stl:
            if (std::string refused = write_stl(file, mesh); !refused.empty())
                return {"Cannot export " + name + ": " + refused + "."};
            break;
        }
        throw_if_stopped(stop);
        // A failed write fails the commit: the target gets the whole file or nothing.
        if (!file.commit()) return {file.error()};
    } catch (const std::bad_alloc&) {
        return {"Cannot export " + name + ": " + not_enough_memory("write it") + "."};
    }
    return {};
}

} // namespace tessaline
