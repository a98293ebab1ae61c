// Writes a graph's mesh for other 3-D programs: the points in data units, the
// faces, and a colour per point when the view colours them. PLY (binary,
// little-endian), OBJ, STL (binary) and glTF 2.0 binary (.glb).
#pragma once

#include "graph/declaration.h"

#include <filesystem>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace tessaline {

enum class mesh_format { ply, obj, stl, glb };

// What is written; the spans must outlive the export.
struct mesh_data {
    std::span<const data_point> points;
    std::span<const triangle> faces;
    // Empty, or one colour per point (the colour map's, where it is on).
    std::span<const rgb_triple> colours;
};

// From a name as the command line takes it ("ply", "GLB") or a file name's
// extension (".obj"); nothing for anything else.
std::optional<mesh_format> mesh_format_named(std::string_view name);
std::optional<mesh_format> mesh_format_of_path(const std::filesystem::path& path);
std::string_view mesh_format_extension(mesh_format format); // "ply", without the dot

struct mesh_export_result {
    std::string error; // empty when the file was written
    bool ok() const { return error.empty(); }
};

// Why the mesh cannot be written in the format (no point; STL without a face;
// a coordinate that is not finite; a face corner or colour count that does
// not fit the points); empty if none.
std::string mesh_export_problem(const mesh_data& mesh, mesh_format format);

// Writes the file aside and renames it over path only once it is whole, so a
// failed export leaves the previous file as it was. Faces are written
// counter-clockwise seen from above (+Z), so that outward normals point up.
// A stop requested before the file is whole throws work_stopped, writing nothing.
mesh_export_result export_mesh(const std::filesystem::path& path, const mesh_data& mesh,
                               mesh_format format, const std::stop_token& stop = {});

} // namespace tessaline
