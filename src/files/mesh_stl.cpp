// Binary STL through Assimp's exporter: the format is 32-bit floats and
// triangles only, so no colours; Assimp computes each facet's normal.
#include "byte_block.h"
#include "mesh_writers.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <memory>

namespace tessaline {

namespace {

// The scene owns its arrays and frees them with delete[] (aiScene, aiMesh, aiFace).
std::unique_ptr<aiScene> stl_scene(const mesh_data& mesh) {
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
    m->mNumVertices = static_cast<unsigned>(mesh.points.size());
    m->mVertices = new aiVector3D[mesh.points.size()];
    for (std::size_t i = 0; i < mesh.points.size(); ++i) {
        const data_point& p = mesh.points[i];
        m->mVertices[i] =
            aiVector3D(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
    }
    m->mFaces = new aiFace[mesh.faces.size()];
    m->mNumFaces = static_cast<unsigned>(mesh.faces.size());
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        const triangle f = face_upward(mesh, mesh.faces[i]);
        aiFace& face = m->mFaces[i];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3]{static_cast<unsigned>(f.p0), static_cast<unsigned>(f.p1),
                                        static_cast<unsigned>(f.p2)};
    }
    return scene;
}

} // namespace

std::string write_stl(atomic_file& out, const mesh_data& mesh) {
    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = nullptr;
    {
        const std::unique_ptr<aiScene> scene = stl_scene(mesh);
        blob = exporter.ExportToBlob(scene.get(), "stlb");
    }
    if (blob == nullptr) return "the STL writer failed: " + std::string(exporter.GetErrorString());
    for (; blob != nullptr; blob = blob->next)
        out.write(static_cast<const char*>(blob->data), blob->size);
    return {};
}

} // namespace tessaline
