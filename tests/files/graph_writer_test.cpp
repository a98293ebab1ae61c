#include "files/graph_reader.h"
#include "files/graph_writer.h"
#include "graph/datafield.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace tessaline;
using tessaline::testing::file_text;
using tessaline::testing::temp_folder;

namespace {

// The text of the one element `name` (its line, as the writer lays them out).
std::string element_line(const std::string& text, const std::string& name) {
    const size_t start = text.find("<" + name + " ");
    if (start == std::string::npos) return {};
    return text.substr(start, text.find('\n', start) - start);
}

graph_document one_point(double x, double y, double z) {
    graph_document graph;
    graph.points = {{x, y, z}};
    return graph;
}

} // namespace

TEST(GraphWriter, WorkedExample) {
    Datafield field;
    field.load_points({{0, 0, 1}, {1, 0, 2}, {0, 1, 3}});
    ASSERT_EQ(field.faces, (triangles{{2, 1, 0}}));
    graph_document graph;
    graph.points = field.points;
    graph.faces = field.faces;
    EXPECT_EQ(graph_file_text(graph, "1.0.14", '.'),
              file_text(TESSALINE_TEST_DATA "/files/worked_example.xyz"));
}

TEST(GraphWriter, RealForms) {
    struct row {
        double value;
        char separator;
        const char* text;
    } rows[] = {{0.00001, '.', "1E-5"},
                {12.5, ',', "12,5"},
                {2.5e20, ',', "2,5E20"},
                {-0.25, '.', "-0.25"},
                {1.0 / 3, '.', "0.333333333333333"},
                // an exact tie at the 16th digit rounds away from zero
                {1000000000000005, '.', "1.00000000000001E15"}};
    for (const row& r : rows) {
        const std::string text = graph_file_text(one_point(r.value, 0, 0), "v", r.separator);
        EXPECT_NE(element_line(text, "p").find(std::string("x=\"") + r.text + "\""),
                  std::string::npos)
            << r.text << " in " << element_line(text, "p");
    }
}

TEST(GraphWriter, CameraIsWrittenAsTheWidenedSingle) {
    graph_document graph;
    graph.camera.move_a = 0.1f;
    graph.camera.radius = 2.5f;
    const std::string text = graph_file_text(graph, "v", ',');
    EXPECT_EQ(element_line(text, "screen_view_move_a"),
              "<screen_view_move_a val=\"0,100000001490116\" />");
    EXPECT_EQ(element_line(text, "screen_view_radius"), "<screen_view_radius val=\"2,5\" />");
}

TEST(GraphWriter, FewerThanThreePointsHaveNoFaces) {
    Datafield field;
    field.load_points({{1, 2, 3}, {4, 5, 6}});
    graph_document graph;
    graph.points = field.points;
    graph.faces = field.faces;
    const std::string text = graph_file_text(graph, "v", '.');
    EXPECT_NE(text.find("<df_points size=\"2\">\n<p id=\"0\" x=\"1\" y=\"2\" z=\"3\" />\n"
                        "<p id=\"1\" x=\"4\" y=\"5\" z=\"6\" />\n</df_points>"),
              std::string::npos);
    EXPECT_EQ(element_line(text, "df_faces"), "<df_faces size=\"0\" />");
    EXPECT_EQ(element_line(graph_file_text(graph_document{}, "v", '.'), "df_points"),
              "<df_points size=\"0\" />");
}

TEST(GraphWriter, MarkupInCaptionsIsEscapedAndReadsBack) {
    graph_document graph;
    graph.captions = {"a < b & c", "\"quoted\" 'single' > x", "tab\tnew\nline \xC3\xA9"};
    const std::string text = graph_file_text(graph, "v", '.');
    EXPECT_NE(element_line(text, "axis_caption").find("x_val=\"a &lt; b &amp; c\""),
              std::string::npos);
    const graph_read read = read_graph_text(text);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.document.captions, graph.captions);

    // Every character below 128 but NUL: control characters as references,
    // so the reader's normalisation of blanks cannot change them.
    std::string every;
    for (int c = 1; c < 128; ++c)
        every += static_cast<char>(c);
    graph.captions = {every, "", "\r\n"};
    const graph_read all = read_graph_text(graph_file_text(graph, "v", '.'));
    ASSERT_TRUE(all.ok()) << all.error;
    EXPECT_EQ(all.document.captions, graph.captions);
}

TEST(GraphWriter, RefusesWhatWouldNotReadBack) {
    temp_folder folder;
    graph_document graph = one_point(1, std::numeric_limits<double>::quiet_NaN(), 0);
    EXPECT_NE(graph_write_problem(graph).find("point 0"), std::string::npos);
    const save_result saved = save_graph_file(folder / "g.xyz", graph, "v", '.');
    EXPECT_FALSE(saved.ok());
    EXPECT_FALSE(std::filesystem::exists(folder / "g.xyz"));

    graph = one_point(1, 2, 3);
    graph.faces = {{0, 0, 1}};
    EXPECT_NE(graph_write_problem(graph).find("face 0"), std::string::npos);
    graph.faces = {};
    graph.camera.radius = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(graph_write_problem(graph).empty());
    EXPECT_EQ(graph_file_text(graph, "v", '.'), "");
}

TEST(GraphWriter, LaterViewElementsFollowTheFirstFormatsAndOnlyWhenSet) {
    graph_document graph = one_point(1, 2, 3);
    const std::string classic = graph_file_text(graph, "1.0.14", '.');
    EXPECT_EQ(classic.find("axis_scaling"), std::string::npos);
    EXPECT_EQ(classic.find("projection"), std::string::npos);
    for (const char* name : {"colour_map", "colour_bar", "shading"})
        EXPECT_EQ(classic.find(name), std::string::npos) << name;

    graph.scaling = axis_scaling::fit;
    graph.orthographic = true;
    graph.limits.x = {1000.5, std::nullopt};
    graph.limits.z = {-2, 3e-7};
    graph.colours = colour_map::cividis;
    graph.colour_bar = false;
    graph.smooth_shading = true;
    const std::string later = graph_file_text(graph, "1.0.14", '.');
    const size_t modes = later.find("<space_graph_mode ");
    const size_t scaling = later.find("<axis_scaling val=\"fit\"");
    const size_t projection = later.find("<projection val=\"orthographic\"");
    ASSERT_NE(scaling, std::string::npos);
    ASSERT_NE(projection, std::string::npos);
    EXPECT_LT(modes, scaling);
    EXPECT_LT(scaling, projection);
    EXPECT_EQ(element_line(later, "axis_limits"),
              "<axis_limits x_min=\"1000.5\" z_min=\"-2\" z_max=\"3E-7\" />");
    const size_t colours = later.find("<colour_map val=\"cividis\"");
    EXPECT_LT(later.find("<axis_limits"), colours);
    EXPECT_LT(colours, later.find("<colour_bar val=\"off\""));
    EXPECT_LT(later.find("<colour_bar"), later.find("<shading val=\"smooth\""));
    // Everything before them is the first format's text, unchanged.
    EXPECT_EQ(later.substr(0, scaling), classic.substr(0, scaling));

    temp_folder folder;
    ASSERT_TRUE(save_graph_file(folder / "later.xyz", graph, "1.0.14", '.').ok());
    const graph_read read = read_graph_file(folder / "later.xyz");
    EXPECT_TRUE(read.view_error.empty()) << read.view_error;
    EXPECT_EQ(read.document, graph);
}

TEST(GraphReader, UnknownLaterValuesReadAsTheClassicView) {
    temp_folder folder;
    std::string text = graph_file_text(one_point(1, 2, 3), "1.0.14", '.');
    text.insert(text.rfind("</graph>"),
                "<axis_scaling val=\"logarithmic\"/><projection/><future_element val=\"1\"/>"
                "<axis_limits x_min=\"a\" x_max=\"7\"/><colour_map val=\"rainbow\"/>"
                "<colour_bar val=\"maybe\"/><shading val=\"phong\"/>");
    const auto path = folder / "odd.xyz";
    {
        std::ofstream out(path);
        out << text;
    }
    const graph_read read = read_graph_file(path);
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read.view_error.empty());
    EXPECT_EQ(read.document.scaling, axis_scaling::classic);
    EXPECT_FALSE(read.document.orthographic);
    // A side that is no number is open; the other side stands.
    EXPECT_EQ(read.document.limits.x, (axis_limits{std::nullopt, 7}));
    // A map this version does not know is the classic look, bar and shading too.
    EXPECT_EQ(read.document.colours, colour_map::off);
    EXPECT_TRUE(read.document.colour_bar);
    EXPECT_FALSE(read.document.smooth_shading);
}
