// The exported meshes read back by the strict readers of tests/support:
// counts, coordinates, corners and colours as given, and every failure
// leaving the target as it was.
#include "files/mesh_export.h"
#include "support/mesh_readers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <sys/stat.h>

using namespace tessaline;
using namespace tessaline::testing;

namespace {

// Map coordinates: far from zero, with digits a float cannot hold.
struct sample {
    data_points_ points{{5400000.123456789, 3100000.5, 12.25},
                        {5400001.987654321, 3100000.5, -3.5},
                        {5400000.123456789, 3100002.75, 1e-9},
                        {5400002.5, 3100003.125, 7}};
    // The second face turns clockwise seen from above.
    triangles faces{{0, 1, 2}, {1, 2, 3}};
    std::vector<rgb_triple> colours{{255, 0, 0}, {0, 128, 0}, {1, 2, 254}, {17, 99, 200}};
    mesh_data mesh(bool coloured = true) const {
        return {points, faces,
                coloured ? std::span<const rgb_triple>(colours) : std::span<const rgb_triple>()};
    }
};

// A point as the 32-bit formats hold it. The roundings go through memory:
// GCC 12.2's SLP vectorizer at -O2 drops the rounding of (double)(float)v
// when three such conversions fill adjacent doubles.
std::array<double, 3> as_floats(const data_point& p) {
    volatile float x = static_cast<float>(p.x), y = static_cast<float>(p.y),
                   z = static_cast<float>(p.z);
    return {x, y, z};
}

double turn_xy(const std::array<double, 3>& a, const std::array<double, 3>& b,
               const std::array<double, 3>& c) {
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

// The faces as written are the given ones (same corners), each turned upward.
void expect_faces_upward(const read_mesh& m, const triangles& given) {
    ASSERT_EQ(m.faces.size(), given.size());
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto& f = m.faces[i];
        EXPECT_EQ(
            (std::multiset<std::uint32_t>{f[0], f[1], f[2]}),
            (std::multiset<std::uint32_t>{std::uint32_t(given[i].p0), std::uint32_t(given[i].p1),
                                          std::uint32_t(given[i].p2)}))
            << "face " << i;
        EXPECT_GT(turn_xy(m.points[f[0]], m.points[f[1]], m.points[f[2]]), 0) << "face " << i;
    }
}

void expect_colours(const read_mesh& m, const std::vector<rgb_triple>& given) {
    ASSERT_EQ(m.colours.size(), given.size());
    for (std::size_t i = 0; i < given.size(); ++i)
        EXPECT_EQ(m.colours[i], (std::array<std::uint8_t, 3>{given[i].r, given[i].g, given[i].b}));
}

mesh_export_result write(const std::filesystem::path& path, const mesh_data& mesh,
                         mesh_format format) {
    return export_mesh(path, mesh, format);
}

} // namespace

TEST(MeshExport, PlyAndObjKeepTheDataValuesExactly) {
    temp_folder folder;
    const sample s;
    for (const mesh_format format : {mesh_format::ply, mesh_format::obj}) {
        const auto path = folder / ("mesh." + std::string(mesh_format_extension(format)));
        ASSERT_TRUE(write(path, s.mesh(), format).ok());
        const read_mesh m = format == mesh_format::ply ? read_ply(path) : read_obj(path);
        ASSERT_EQ(m.error, "") << path;
        ASSERT_EQ(m.points.size(), s.points.size());
        for (std::size_t i = 0; i < s.points.size(); ++i)
            EXPECT_EQ(m.points[i],
                      (std::array<double, 3>{s.points[i].x, s.points[i].y, s.points[i].z}));
        expect_faces_upward(m, s.faces);
        expect_colours(m, s.colours);
    }
}

TEST(MeshExport, GlbIsAValidContainerWithPositionsColoursAndIndices) {
    temp_folder folder;
    const sample s;
    ASSERT_TRUE(write(folder / "mesh.glb", s.mesh(), mesh_format::glb).ok());
    const read_mesh m = read_glb(folder / "mesh.glb");
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.mode, 4);
    ASSERT_EQ(m.points.size(), s.points.size());
    for (std::size_t i = 0; i < s.points.size(); ++i)
        EXPECT_EQ(m.points[i], as_floats(s.points[i]));
    expect_faces_upward(m, s.faces);
    expect_colours(m, s.colours);

    // Without colours there is no COLOR_0, and the file is as valid.
    ASSERT_TRUE(write(folder / "plain.glb", s.mesh(false), mesh_format::glb).ok());
    const read_mesh plain = read_glb(folder / "plain.glb");
    ASSERT_EQ(plain.error, "");
    EXPECT_TRUE(plain.colours.empty());
    EXPECT_EQ(plain.faces.size(), s.faces.size());
}

TEST(MeshExport, StlHoldsEachFaceWithAnUpwardNormal) {
    temp_folder folder;
    const sample s;
    ASSERT_TRUE(write(folder / "mesh.stl", s.mesh(), mesh_format::stl).ok());
    const read_mesh m = read_stl(folder / "mesh.stl");
    ASSERT_EQ(m.error, "");
    ASSERT_EQ(m.normals.size(), s.faces.size());
    for (std::size_t i = 0; i < s.faces.size(); ++i) {
        const triangle& f = s.faces[i];
        std::set<std::array<double, 3>> given, read;
        for (const std::int32_t id : {f.p0, f.p1, f.p2})
            given.insert(as_floats(s.points[static_cast<size_t>(id)]));
        for (std::size_t k = 0; k < 3; ++k)
            read.insert(m.points[3 * i + k]);
        EXPECT_EQ(read, given) << "facet " << i;
        EXPECT_GT(turn_xy(m.points[3 * i], m.points[3 * i + 1], m.points[3 * i + 2]), 0);
        const auto& n = m.normals[i];
        EXPECT_NEAR(std::hypot(n[0], n[1], n[2]), 1, 1e-5);
        EXPECT_GT(n[2], 0) << "facet " << i;
    }
}

TEST(MeshExport, PointsWithoutFacesArePointCloudsButNoStl) {
    temp_folder folder;
    const sample s;
    const mesh_data points{s.points, {}, s.colours};
    ASSERT_TRUE(write(folder / "p.ply", points, mesh_format::ply).ok());
    ASSERT_TRUE(write(folder / "p.obj", points, mesh_format::obj).ok());
    ASSERT_TRUE(write(folder / "p.glb", points, mesh_format::glb).ok());
    for (const read_mesh& m :
         {read_ply(folder / "p.ply"), read_obj(folder / "p.obj"), read_glb(folder / "p.glb")}) {
        ASSERT_EQ(m.error, "");
        EXPECT_EQ(m.points.size(), s.points.size());
        EXPECT_TRUE(m.faces.empty());
        expect_colours(m, s.colours);
    }
    EXPECT_EQ(read_glb(folder / "p.glb").mode, 0);
    EXPECT_EQ(file_text(folder / "p.ply").find("element face"), std::string::npos);

    const mesh_export_result stl = write(folder / "p.stl", points, mesh_format::stl);
    EXPECT_NE(stl.error.find("only triangles"), std::string::npos) << stl.error;
    EXPECT_FALSE(std::filesystem::exists(folder / "p.stl"));
}

TEST(MeshExport, RefusedMeshesAndUnwritableTargetsLeaveTheOldFile) {
    temp_folder folder;
    const sample s;
    const auto target = folder / "old.ply";
    { std::ofstream(target) << "the user's file"; }
    const data_points_ bad_value{{0, 0, std::nan("")}};
    const triangles beyond{{0, 1, 9}};
    const std::vector<rgb_triple> two_colours(2);
    const data_points_ huge{{1e300, 0, 0}};
    struct refused {
        mesh_data mesh;
        mesh_format format;
        const char* says;
    };
    for (const refused& r : std::vector<refused>{
             {{}, mesh_format::ply, "no point"},
             {{}, mesh_format::glb, "no point"},
             {{bad_value, {}, {}}, mesh_format::obj, "not a finite number"},
             {{s.points, beyond, {}}, mesh_format::ply, "does not exist"},
             {{s.points, s.faces, two_colours}, mesh_format::glb, "colours do not match"},
             {{huge, {}, {}}, mesh_format::glb, "32-bit"}}) {
        const mesh_export_result result = write(target, r.mesh, r.format);
        EXPECT_NE(result.error.find(r.says), std::string::npos) << result.error;
        EXPECT_NE(result.error.find(target.string()), std::string::npos) << result.error;
    }
    // A double beyond float is fine where doubles are written.
    EXPECT_TRUE(write(folder / "huge.ply", {huge, {}, {}}, mesh_format::ply).ok());

    // Read-only, a folder in the target's place, a missing folder.
    ::chmod(target.c_str(), 0444);
    EXPECT_FALSE(write(target, s.mesh(), mesh_format::ply).ok());
    std::filesystem::create_directories(folder / "taken.glb" / "inside");
    EXPECT_FALSE(write(folder / "taken.glb", s.mesh(), mesh_format::glb).ok());
    EXPECT_TRUE(std::filesystem::exists(folder / "taken.glb" / "inside"));
    EXPECT_FALSE(write(folder / "no" / "such" / "m.stl", s.mesh(), mesh_format::stl).ok());
    EXPECT_EQ(file_text(target), "the user's file");
    // Nothing beside: no side file left by any of the failures.
    EXPECT_EQ(folder_entries(folder.path()),
              (std::vector<std::string>{"huge.ply", "old.ply", "taken.glb"}));
}

TEST(MeshExport, FormatsByNameAndExtension) {
    EXPECT_EQ(mesh_format_named("GLB"), mesh_format::glb);
    EXPECT_EQ(mesh_format_of_path("a/b.Stl"), mesh_format::stl);
    EXPECT_EQ(mesh_format_of_path("mesh.obj"), mesh_format::obj);
    EXPECT_EQ(mesh_format_of_path("ply"), std::nullopt); // a name, not an extension
    EXPECT_EQ(mesh_format_of_path("mesh.gltf"), std::nullopt);
    EXPECT_EQ(mesh_format_named(""), std::nullopt);
}
