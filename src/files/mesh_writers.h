// The writer of each mesh format, behind export_mesh (which checks the mesh
// first): each appends the whole file to `out`.
#pragma once

#include "files/mesh_export.h"

#include <string>

namespace tessaline {

class atomic_file;

// A face with its corners counter-clockwise in the data's X-Y plane.
triangle face_upward(const mesh_data& mesh, const triangle& face);

void write_ply(atomic_file& out, const mesh_data& mesh);
void write_obj(atomic_file& out, const mesh_data& mesh);
void write_glb(atomic_file& out, const mesh_data& mesh);
// Through Assimp; an error text when the library refuses.
std::string write_stl(atomic_file& out, const mesh_data& mesh);

} // namespace tessaline
