// Times the mesh export of a large graph in each format, and with --assimp
// Assimp's own PLY, OBJ and glTF binary exporters on the same mesh (the
// measure behind writing those three here and leaving STL to Assimp).
//
//   tessaline-bench-mesh-export [POINTS] [--only FORMAT] [--assimp] [--folder DIR]
//
// FORMAT is ply, obj, stl, glb or assimp-ply, assimp-obj, assimp-glb, to
// measure one export's peak memory alone (e.g. under /usr/bin/time -v).
#include "files/mesh_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

using namespace tessaline;
namespace fs = std::filesystem;

namespace {

// A smooth surface over a square lattice, two faces per cell, coloured.
struct sample {
    data_points_ points;
    triangles faces;
    std::vector<rgb_triple> colours;
};

sample sample_mesh(std::int64_t point_count) {
    sample s;
    const auto side = static_cast<std::int32_t>(std::ceil(std::sqrt(double(point_count))));
    for (std::int32_t i = 0; i < side * side; ++i) {
        const double x = 1000 + (i % side) * 0.001, y = (i / side) * 0.001;
        s.points.push_back({x, y, std::sin(x * 1.7) * std::cos(y * 1.3)});
        s.colours.push_back({std::uint8_t(i % 256), 128, std::uint8_t(255 - i % 256)});
    }
    for (std::int32_t r = 0; r + 1 < side; ++r)
        for (std::int32_t c = 0; c + 1 < side; ++c) {
            const std::int32_t a = r * side + c;
            s.faces.push_back({a, a + 1, a + side});
            s.faces.push_back({a + 1, a + side + 1, a + side});
        }
    return s;
}

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double megabytes(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    return ec ? 0 : double(size) / 1e6;
}

std::unique_ptr<aiScene> assimp_scene(const sample& s) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode();
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    scene->mRootNode->mNumMeshes = 1;
    scene->mMaterials = new aiMaterial* [1] { new aiMaterial() };
    scene->mNumMaterials = 1;
    auto* m = new aiMesh();
    scene->mMeshes = new aiMesh* [1] { m };
    scene->mNumMeshes = 1;
    m->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    m->mNumVertices = unsigned(s.points.size());
    m->mVertices = new aiVector3D[s.points.size()];
    m->mColors[0] = new aiColor4D[s.points.size()];
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        const data_point& p = s.points[i];
        m->mVertices[i] = aiVector3D(float(p.x), float(p.y), float(p.z));
        const rgb_triple c = s.colours[i];
        m->mColors[0][i] = aiColor4D(c.r / 255.f, c.g / 255.f, c.b / 255.f, 1);
    }
    m->mNumFaces = unsigned(s.faces.size());
    m->mFaces = new aiFace[s.faces.size()];
    for (std::size_t i = 0; i < s.faces.size(); ++i) {
        m->mFaces[i].mNumIndices = 3;
        m->mFaces[i].mIndices = new unsigned[3]{unsigned(s.faces[i].p0), unsigned(s.faces[i].p1),
                                                unsigned(s.faces[i].p2)};
    }
    return scene;
}

} // namespace

int main(int argc, char** argv) {
    std::int64_t count = 1000000;
    std::string only;
    bool with_assimp = false;
    fs::path folder = fs::temp_directory_path();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (a == "--folder" && i + 1 < argc)
            folder = argv[++i];
        else if (a == "--assimp")
            with_assimp = true;
        else
            count = std::stoll(a);
    }
    const sample s = sample_mesh(count);
    std::printf("points %zu, faces %zu, with colours\n", s.points.size(), s.faces.size());
    for (const mesh_format f :
         {mesh_format::ply, mesh_format::obj, mesh_format::stl, mesh_format::glb}) {
        const std::string name(mesh_format_extension(f));
        if (!only.empty() && only != name) continue;
        const fs::path file = folder / ("tessaline-bench-mesh." + name);
        const auto start = std::chrono::steady_clock::now();
        const mesh_export_result r = export_mesh(file, {s.points, s.faces, s.colours}, f);
        const double ms = ms_since(start);
        std::printf("%-11s %8.0f ms %8.1f MB %s\n", name.c_str(), ms, megabytes(file),
                    r.ok() ? "" : r.error.c_str());
        fs::remove(file);
    }
    if (!with_assimp && only.rfind("assimp-", 0) != 0) return 0;
    const struct {
        const char* name;
        const char* id;
        const char* extension;
    } exporters[] = {
        {"assimp-ply", "plyb", "ply"}, {"assimp-obj", "obj", "obj"}, {"assimp-glb", "glb2", "glb"}};
    for (const auto& e : exporters) {
        if (!only.empty() && only != e.name) continue;
        const fs::path file = folder / (std::string("tessaline-bench-assimp.") + e.extension);
        auto start = std::chrono::steady_clock::now();
        const std::unique_ptr<aiScene> scene = assimp_scene(s);
        const double build_ms = ms_since(start);
        start = std::chrono::steady_clock::now();
        Assimp::Exporter exporter;
        const bool ok = exporter.Export(scene.get(), e.id, file.string()) == AI_SUCCESS;
        const double ms = ms_since(start);
        std::printf("%-11s %8.0f ms %8.1f MB (scene built in %.0f ms) %s\n", e.name, ms,
                    megabytes(file), build_ms, ok ? "" : exporter.GetErrorString());
        fs::remove(file);
        fs::remove(fs::path(file).replace_extension("mtl"));
    }
    return 0;
}
