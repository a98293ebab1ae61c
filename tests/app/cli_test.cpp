// Runs the built tessaline-cli as a user would, in the "C" locale.
#include "files/graph_reader.h"
#include "files/graph_writer.h"
#include "support/mesh_readers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tessaline;
using namespace tessaline::testing;

namespace {

struct run_result {
    int status = -1;
    std::string out, err;
};

std::string shell_quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

run_result run_cli(const temp_folder& folder, const std::vector<std::string>& args) {
    std::string command = "LC_ALL=C " + shell_quoted(TESSALINE_CLI);
    for (const std::string& a : args)
        command += " " + shell_quoted(a);
    const std::string err_file = (folder / "stderr.txt").string();
    command += " 2>" + shell_quoted(err_file);
    run_result result;
    FILE* pipe = ::popen(command.c_str(), "r");
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        result.out.append(chunk, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = file_text(err_file);
    return result;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(Cli, HelpVersionAndUsageErrors) {
    temp_folder folder;
    run_result r = run_cli(folder, {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("tessaline-cli ") + TESSALINE_VERSION + "\n");
    r = run_cli(folder, {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.out, "convert") && contains(r.out, "info")) << r.out;
    r = run_cli(folder, {"info", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.out, "usage: tessaline-cli info FILE.xyz [--marks]")) << r.out;

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"convert", "a.csv"},
                                               {"convert", "a.csv", "-o"},
                                               {"info"},
                                               {"info", "a.xyz", "--colour"}}) {
        r = run_cli(folder, args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(Cli, ConvertThenInfo) {
    temp_folder folder;
    write_text(folder / "table.csv", "Depth;Width (m);\n0;0;1\n1;0;2\nx;1;1\n0;1;3\n");
    run_result r = run_cli(
        folder, {"convert", (folder / "table.csv").string(), "-o", (folder / "out.xyz").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "points read: 3\nrows skipped: 1\nfaces built: 1\n");
    const graph_read read = read_graph_file(folder / "out.xyz");
    ASSERT_TRUE(read.graph_loaded) << read.error << read.graph_error;
    EXPECT_EQ(read.document.faces, (triangles{{2, 1, 0}}));

    r = run_cli(folder, {"info", (folder / "out.xyz").string(), "--marks"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "points: 3\nfaces: 1\nbounds x: 0 .. 1\nbounds y: 0 .. 1\n"
                                "bounds z: 1 .. 3\n"
                                "camera: alpha 315, betta 315, radius "))
        << r.out;
    // Framed: out of the fresh start's radius 10, far enough for the whole box.
    EXPECT_GT(read.document.camera.radius, 12);
    EXPECT_LT(read.document.camera.radius, 30);
    EXPECT_TRUE(contains(r.out, ", move_a 0, move_b 0\nselected point: -1\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "captions: x Depth, y \"Width (m)\", z Z\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "graph mode: points True, lines True, poligones False\n"));
    // x runs 0 .. 1: step 0.2, caption first, then positive and negative marks.
    EXPECT_TRUE(contains(r.out, "\nx Depth 1.3\nx 0.2 0.2\nx 0.4 0.4\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "\ny \"Width (m)\" 1.3\n")) << r.out;
}

TEST(Cli, MarksFollowTheFilesShiftCaptionAndZoom) {
    temp_folder folder;
    std::string text = file_text(TESSALINE_TEST_DATA "/files/worked_example.xyz");
    text.replace(text.find("<shift_scale x_val=\"0\""), 22, "<shift_scale x_val=\"1\"");
    text.replace(text.find("<shift_marks x_val=\"0\""), 22, "<shift_marks x_val=\"-1\"");
    write_text(folder / "g.xyz", text);
    const run_result r = run_cli(folder, {"info", (folder / "g.xyz").string(), "--marks"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Step 0.5 instead of 0.2; caption and marks 1.2 times further out (1.3 x 1.2f
    // rounds to the single above 1.56).
    EXPECT_TRUE(
        contains(r.out, "\nx X 1.5600001\nx 0.5 0.6\nx 1 1.2\nx -0.5 -0.6\nx -1 -1.2\ny Y 1.3\n"))
        << r.out;
}

TEST(Cli, BadInputGivesAMessageAndFailure) {
    temp_folder folder;
    write_text(folder / "broken.xyz", "<graph><program_name val=\"Tessaline\"></graph>");
    run_result r = run_cli(folder, {"info", (folder / "broken.xyz").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "is not well-formed XML")) << r.err;

    r = run_cli(folder, {"info", (folder / "missing.xyz").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "No such file or directory")) << r.err;

    r = run_cli(folder, {"convert", (folder / "missing.csv").string(), "-o",
                         (folder / "out.xyz").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "Cannot open")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.xyz"));

    // A graph block that fails still shows the view, and says what went wrong.
    std::string text = file_text(TESSALINE_TEST_DATA "/files/worked_example.xyz");
    text.replace(text.find("p1=\"1\""), 6, "p1=\"9\"");
    text.replace(text.find("<point_size val=\"7\""), 19, "<point_size val=\"big\"");
    write_text(folder / "half.xyz", text);
    r = run_cli(folder, {"info", (folder / "half.xyz").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(contains(r.out, "points:"));
    EXPECT_TRUE(contains(r.out, "font color: 0\n"));
    EXPECT_FALSE(contains(r.out, "point size"));
    EXPECT_TRUE(contains(r.err, "graph data cannot be used")) << r.err;
    EXPECT_TRUE(contains(r.err, "\"point_size\"")) << r.err;
}

TEST(Cli, ConvertFitsTheGraphToItsData) {
    // Data far from zero, from a table and from a workbook: the file keeps
    // the fit scaling, and the faces are those of the same points at zero.
    temp_folder folder;
    std::string far = "x,y,z\n", near = far;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) {
            const std::string z = std::to_string((i * j) % 4);
            far += std::to_string(1000 + i) + "," + std::to_string(300 + j * 2) + "," + z + "\n";
            near += std::to_string(i) + "," + std::to_string(j * 2) + "," + z + "\n";
        }
    write_text(folder / "far.csv", far);
    write_text(folder / "near.csv", near);
    for (const char* name : {"far", "near"}) {
        const run_result r =
            run_cli(folder, {"convert", (folder / (std::string(name) + ".csv")).string(), "--fit",
                             "-o", (folder / (std::string(name) + ".xyz")).string()});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const graph_read far_read = read_graph_file(folder / "far.xyz");
    const graph_read near_read = read_graph_file(folder / "near.xyz");
    ASSERT_TRUE(far_read.graph_loaded && near_read.graph_loaded);
    EXPECT_EQ(far_read.document.scaling, axis_scaling::fit);
    EXPECT_FALSE(far_read.document.faces.empty());
    EXPECT_EQ(far_read.document.faces, near_read.document.faces);

    const run_result r = run_cli(folder, {"convert", TESSALINE_TEST_DATA "/workbooks/mixed.xlsx",
                                          "--fit", "--sheet", "2", "--x", "AA", "--y", "AB", "--z",
                                          "AC", "-o", (folder / "wide.xyz").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_graph_file(folder / "wide.xyz").document.scaling, axis_scaling::fit);
}

TEST(Cli, WorkbooksListAndConvert) {
    temp_folder folder;
    const std::string book = TESSALINE_TEST_DATA "/workbooks/mixed.xlsx";
    run_result r = run_cli(folder, {"sheets", book});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Mixed 15 4\nWide 10 29\n\"Température Σ\" 6 3\n");

    // Data in AA to AC from row 3; its empty row 2 as titles gives the plain captions.
    r = run_cli(folder, {"convert", book, "--sheet", "2", "--x", "aa", "--y", "AB", "--z", "AC",
                         "--title-row", "2", "-o", (folder / "wide.xyz").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "rows skipped: 0\n")) << r.out;
    const graph_read read = read_graph_file(folder / "wide.xyz");
    ASSERT_TRUE(read.graph_loaded);
    EXPECT_EQ(read.document.points.size(), 8u);

    r = run_cli(folder, {"convert", book, "--sheet", "Nope", "--x", "A", "--y", "B", "--z", "C",
                         "-o", (folder / "x.xyz").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "no sheet \"Nope\"")) << r.err;
    r = run_cli(folder, {"convert", book, "--sheet", "1", "--x", "1", "--y", "B", "--z", "C", "-o",
                         (folder / "x.xyz").string()});
    EXPECT_EQ(r.status, 2);
    r = run_cli(folder, {"sheets", (folder / "wide.xyz").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "cannot open")) << r.err;
}

TEST(Cli, ConvertThatReadsNoPointKeepsTheTarget) {
    temp_folder folder;
    const std::string target = (folder / "old.xyz").string();
    const struct {
        const char* name;
        const char* text;
    } tables[] = {{"two.csv", "1,2\n3,4\n"}, {"empty.csv", ""}, {"words.txt", "a b c\nd e f\n"}};
    for (const auto& table : tables) {
        write_text(target, "the user's graph");
        write_text(folder / table.name, table.text);
        const run_result r =
            run_cli(folder, {"convert", (folder / table.name).string(), "-o", target});
        EXPECT_EQ(r.status, 1) << table.name;
        EXPECT_TRUE(contains(r.err, "no point read from")) << r.err;
        EXPECT_EQ(file_text(target), "the user's graph") << table.name;
    }

    // Columns parted by blanks, as plain data files have them, are read.
    write_text(folder / "plain.dat", "x  y\tz\n0 0 1\n  1\t0  2\n0 1 3\n");
    const run_result r =
        run_cli(folder, {"convert", (folder / "plain.dat").string(), "-o", target});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "points read: 3\nrows skipped: 0\nfaces built: 1\n");
    EXPECT_EQ(read_graph_file(target).document.captions, (axis_values<std::string>{"x", "y", "z"}));
}

TEST(Cli, ReadOnlyTargetsAndDevicesAreRefused) {
    temp_folder folder;
    const std::string target = (folder / "kept.xyz").string();
    write_text(target, "the user's graph");
    ::chmod(target.c_str(), 0444);
    write_text(folder / "t.csv", "0,0,1\n1,0,2\n0,1,3\n");
    run_result r = run_cli(folder, {"convert", (folder / "t.csv").string(), "-o", target});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "Cannot save \"" + target + "\": Permission denied.")) << r.err;
    EXPECT_EQ(file_text(target), "the user's graph");

    r = run_cli(folder, {"info", "/dev/zero"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "\"/dev/zero\" is not a graph file: it is not a regular file."))
        << r.err;
}

// Ctrl+C in the middle of a long convert: the command stops at once with the
// shell's status for it, the old target as it was and no other file left.
TEST(Cli, InterruptStopsAndLeavesNothing) {
    temp_folder folder;
    std::string table;
    std::uint32_t state = 7;
    for (int i = 0; i < 400000; ++i) {
        auto next = [&state] { return (state = state * 1664525u + 1013904223u) >> 8; };
        table += std::to_string(next()) + ',' + std::to_string(next()) + ",1\n";
    }
    write_text(folder / "big.csv", table);
    const std::string target = (folder / "old.xyz").string();
    write_text(target, "the user's graph");
    const std::string input = (folder / "big.csv").string();
    const std::string err = (folder / "stderr.txt").string();
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen(err.c_str(), "w", stderr);
        std::freopen("/dev/null", "w", stdout);
        ::execl(TESSALINE_CLI, "tessaline-cli", "convert", input.c_str(), "-o", target.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 130) << file_text(err);
    EXPECT_EQ(file_text(target), "the user's graph");
    EXPECT_EQ(folder_entries(folder.path()),
              (std::vector<std::string>{"big.csv", "old.xyz", "stderr.txt"}));
}

TEST(Cli, ExportWritesTheFormatItsNameOrOptionSays) {
    temp_folder folder;
    const std::string graph = TESSALINE_TEST_DATA "/files/worked_example.xyz";
    for (const char* name : {"m.ply", "m.obj", "m.stl", "m.glb"}) {
        const run_result r = run_cli(folder, {"export", graph, "-o", (folder / name).string()});
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_EQ(r.out, "points written: 3\nfaces written: 1\n");
    }
    const read_mesh ply = read_ply(folder / "m.ply");
    ASSERT_EQ(ply.error, "");
    EXPECT_EQ(ply.points, (std::vector<std::array<double, 3>>{{0, 0, 1}, {1, 0, 2}, {0, 1, 3}}));
    EXPECT_EQ(read_obj(folder / "m.obj").points, ply.points);
    EXPECT_EQ(read_glb(folder / "m.glb").faces.size(), 1u);
    EXPECT_EQ(read_stl(folder / "m.stl").normals.size(), 1u);
    // --format wins over the name.
    run_result r =
        run_cli(folder, {"export", graph, "--format", "glb", "-o", (folder / "mesh.bin").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_glb(folder / "mesh.bin").error, "");

    r = run_cli(folder, {"export", graph, "-o", (folder / "m.txt").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, ".ply, .obj, .stl or .glb")) << r.err;
    r = run_cli(folder, {"export", graph, "--format", "fbx", "-o", (folder / "m.ply").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, "unknown format \"fbx\"")) << r.err;
    r = run_cli(folder, {"export", graph});
    EXPECT_EQ(r.status, 2);

    // Colours by Z, low to high along viridis: from dark blue-violet to yellow.
    EXPECT_TRUE(ply.colours.empty()) << "the file does not colour its graph";
    r = run_cli(folder,
                {"export", graph, "--colormap", "viridis", "-o", (folder / "c.ply").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const read_mesh coloured = read_ply(folder / "c.ply");
    ASSERT_EQ(coloured.colours.size(), 3u);
    EXPECT_GT(coloured.colours[0][2], coloured.colours[0][1]) << "z = 1 is blue";
    EXPECT_GT(coloured.colours[2][0], coloured.colours[2][2]) << "z = 3 is yellow";
    r = run_cli(folder,
                {"export", graph, "--colormap", "rainbow", "-o", (folder / "c.ply").string()});
    EXPECT_EQ(r.status, 2);
}

TEST(Cli, ExportOfAGraphWithoutPointsOrFacesSaysWhatItCannotDo) {
    temp_folder folder;
    graph_document empty;
    ASSERT_TRUE(save_graph_file(folder / "empty.xyz", empty, "1").ok());
    write_text(folder / "keep.glb", "old");
    run_result r = run_cli(
        folder, {"export", (folder / "empty.xyz").string(), "-o", (folder / "keep.glb").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "the graph has no point")) << r.err;
    EXPECT_EQ(file_text(folder / "keep.glb"), "old");

    graph_document two;
    two.points = {{0, 0, 0}, {1, 1, 1}};
    ASSERT_TRUE(save_graph_file(folder / "two.xyz", two, "1").ok());
    r = run_cli(folder,
                {"export", (folder / "two.xyz").string(), "-o", (folder / "two.stl").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "only triangles")) << r.err;
    r = run_cli(folder,
                {"export", (folder / "two.xyz").string(), "-o", (folder / "two.ply").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_ply(folder / "two.ply").points.size(), 2u);

    // A table is not a graph file: the way to one is said.
    write_text(folder / "t.csv", "1,2,3\n");
    r = run_cli(folder, {"export", (folder / "t.csv").string(), "-o", (folder / "t.ply").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, "tessaline-cli convert")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "t.ply"));
}
