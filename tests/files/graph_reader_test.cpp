#include "files/graph_reader.h"
#include "files/graph_writer.h"
#include "graph/number_text.h"
#include "graph_document_samples.h"
#include "support/temp_folder.h"

#include "base/work_stopped.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace tessaline;
using namespace tessaline::testing;

namespace {

const std::string worked_example = file_text(TESSALINE_TEST_DATA "/files/worked_example.xyz");

// The worked example with its point and face lists replaced.
std::string with_graph_data(const std::string& points, const std::string& faces) {
    std::string text = worked_example;
    const auto replace = [&](const std::string& open, const std::string& close,
                             const std::string& by) {
        const size_t start = text.find(open);
        const size_t end = text.find(close, start) + close.size();
        text.replace(start, end - start, by);
    };
    replace("<df_points", "</df_points>\n", points);
    replace("<df_faces", "</df_faces>\n", faces);
    return text;
}

const std::string three_points = "<df_points size=\"3\"><p id=\"0\" x=\"0\" y=\"0\" z=\"1\"/>"
                                 "<p id=\"1\" x=\"1\" y=\"0\" z=\"2\"/>"
                                 "<p id=\"2\" x=\"0\" y=\"1\" z=\"3\"/></df_points>";
const std::string one_face =
    "<df_faces size=\"1\"><f id=\"0\" p0=\"2\" p1=\"1\" p2=\"0\"/></df_faces>";

// The text with one attribute of one element removed or given another value.
std::string edited(const std::string& text, const char* element, const char* attribute,
                   const char* value) {
    pugi::xml_document doc;
    doc.load_string(text.c_str());
    pugi::xml_node node = doc.document_element().child(element);
    if (value)
        node.attribute(attribute).set_value(value);
    else
        node.remove_attribute(attribute);
    std::ostringstream out;
    doc.save(out, "", pugi::format_indent);
    return out.str();
}

} // namespace

TEST(GraphReader, RoundTripRestoresEveryFieldAndWritesTheSameBytes) {
    for (char separator : {'.', ','}) {
        const graph_document graph = every_setting_changed();
        const std::string text = graph_file_text(graph, "1.0.14", separator);
        const graph_read read = read_graph_text(text);
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_TRUE(read.graph_loaded) << read.graph_error;
        EXPECT_EQ(read.view_values_read, view_value_count) << read.view_error;
        // Every value of this sample is exact in 15 digits.
        EXPECT_EQ(read.document, graph);
        EXPECT_EQ(graph_file_text(read.document, "1.0.14", separator), text);
    }
}

TEST(GraphReader, RandomBitsReadBackToFifteenDigitsAndTheSameFile) {
    const graph_document graph = random_graph(500, 300, 7);
    const std::string text = graph_file_text(graph, "v", ',');
    const graph_read read = read_graph_text(text);
    ASSERT_TRUE(read.graph_loaded) << read.graph_error;
    ASSERT_EQ(read.document.points.size(), graph.points.size());
    for (size_t i = 0; i < graph.points.size(); ++i)
        EXPECT_EQ(general_text(read.document.points[i].x), general_text(graph.points[i].x));
    EXPECT_EQ(read.document.faces, graph.faces);
    EXPECT_EQ(read.document.camera, graph.camera); // 32-bit values come back exactly
    EXPECT_EQ(graph_file_text(read.document, "v", ','), text);
}

TEST(GraphReader, LayoutOrderRootNameAndDecimalCommaDoNotMatter) {
    const graph_read read = read_graph_file(TESSALINE_TEST_DATA "/files/comma_layout.xyz");
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_TRUE(read.graph_loaded) << read.graph_error;
    EXPECT_EQ(read.view_values_read, view_value_count) << read.view_error;
    graph_document expected = every_setting_changed();
    // The file lists its faces out of order; ids put them back in place.
    EXPECT_EQ(read.document, expected);
}

TEST(GraphReader, FileLevelErrorsTakeNothing) {
    temp_folder folder;
    const auto read_text = [&](const std::string& text) {
        write_text(folder / "g.xyz", text);
        return read_graph_file(folder / "g.xyz");
    };
    struct row {
        std::string text;
        const char* message;
    } rows[] = {
        {"", "is not well-formed XML: No document element found."},
        {"<graph>\n<program_name val=\"Tessaline\">\n</graph>",
         "is not well-formed XML: Start-end tags mismatch (line 3"},
        {"<graph><version val=\"1\"/></graph>", "has no \"program_name\" element."},
        {"<graph><program_name value=\"Tessaline\"/></graph>",
         "its \"program_name\" has no \"val\" attribute."},
    };
    for (const row& r : rows) {
        const graph_read read = read_text(r.text);
        EXPECT_EQ(read.status, graph_file_status::unreadable) << r.text;
        EXPECT_NE(read.error.find(r.message), std::string::npos) << read.error;
        EXPECT_EQ(read.error.find('"' + (folder / "g.xyz").string() + '"'), 0u) << read.error;
        EXPECT_FALSE(read.graph_loaded);
        EXPECT_EQ(read.view_values_read, 0);
    }
    graph_read read = read_graph_file(folder / "missing.xyz");
    EXPECT_EQ(read.status, graph_file_status::unreadable);
    EXPECT_NE(read.error.find("No such file or directory"), std::string::npos) << read.error;
    read = read_graph_file(folder.path());
    EXPECT_NE(read.error.find("Is a directory"), std::string::npos) << read.error;
}

TEST(GraphReader, AStoppedReadLeavesByWorkStopped) {
    temp_folder folder;
    write_text(folder / "g.xyz", worked_example);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(read_graph_file(folder / "g.xyz", stop.get_token()), work_stopped);
    EXPECT_TRUE(read_graph_file(folder / "g.xyz").graph_loaded);
}

TEST(GraphReader, AnotherProgramsFileIsIgnored) {
    std::string text = worked_example;
    text.replace(text.find("Tessaline"), 9, "tessaline");
    const graph_read read = read_graph_text(text);
    EXPECT_EQ(read.status, graph_file_status::other_program);
    EXPECT_FALSE(read.graph_loaded);
    EXPECT_EQ(read.view_values_read, 0);
}

struct graph_data_case {
    const char* name;
    std::string points, faces;
    bool loads;
    const char* reason; // part of the graph error when it does not load
};

class GraphDataBlock : public ::testing::TestWithParam<graph_data_case> {};

TEST_P(GraphDataBlock, SucceedsWholeOrNotAtAllAndTheViewStillReads) {
    const graph_data_case& c = GetParam();
    const graph_read read = read_graph_text(with_graph_data(c.points, c.faces));
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.graph_loaded, c.loads) << read.graph_error;
    if (!c.loads) {
        EXPECT_NE(read.graph_error.find(c.reason), std::string::npos) << read.graph_error;
        EXPECT_TRUE(read.document.points.empty());
        EXPECT_TRUE(read.document.faces.empty());
    }
    EXPECT_EQ(read.view_values_read, view_value_count) << read.view_error;
}

const std::string no_faces = "<df_faces size=\"0\"/>";

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphDataBlock,
    ::testing::Values(
        graph_data_case{"Empty", "<df_points size=\"0\"/>", no_faces, true, ""},
        graph_data_case{"ExtraChildrenIgnored",
                        "<df_points size=\"1\"><p id=\"0\" x=\"1\" y=\"2\" z=\"3\"/>"
                        "<p id=\"1\" x=\"bad\"/></df_points>",
                        no_faces, true, ""},
        graph_data_case{"ChildrenByPositionWhateverTheirName",
                        "<df_points size=\"2\">text<q id=\"1\" x=\"1\" y=\"2\" z=\"3\"/>"
                        "<!-- note --><p id=\"0\" x=\"4\" y=\"5\" z=\"6\"/></df_points>",
                        no_faces, true, ""},
        graph_data_case{"FewerChildrenThanSize",
                        "<df_points size=\"4\"><p id=\"0\" x=\"1\" y=\"2\" z=\"3\"/></df_points>",
                        no_faces, false, "has size 4 but only 1 entries"},
        graph_data_case{"HugeSizeAllocatesNothing",
                        "<df_points size=\"2000000000\"><p id=\"0\" x=\"1\" y=\"2\" z=\"3\"/>"
                        "</df_points>",
                        no_faces, false, "but only 1 entries"},
        graph_data_case{"NegativeSize", "<df_points size=\"-1\"/>", no_faces, false, "is negative"},
        graph_data_case{"MissingFaces", three_points, "", false, "no \"df_faces\" element"},
        graph_data_case{"MissingCoordinate",
                        "<df_points size=\"1\"><p id=\"0\" x=\"1\" z=\"3\"/></df_points>", no_faces,
                        false, "entry 0 of \"df_points\" has no \"y\" attribute"},
        graph_data_case{"IdBeyondSize",
                        "<df_points size=\"1\"><p id=\"1\" x=\"1\" y=\"2\" z=\"3\"/></df_points>",
                        no_faces, false, "has the id \"1\", not one of 0 to 0"},
        graph_data_case{"InfiniteCoordinate",
                        "<df_points size=\"1\"><p id=\"0\" x=\"1\" y=\"INF\" z=\"3\"/></df_points>",
                        no_faces, false, "\"y\" \"INF\", which is not a finite number"},
        graph_data_case{"FaceCornerOutsideThePoints", three_points,
                        "<df_faces size=\"1\"><f id=\"0\" p0=\"2\" p1=\"3\" p2=\"0\"/></df_faces>",
                        false, "\"p1\" \"3\", not a point of the 3 in the file"},
        graph_data_case{"FacesOverNoPoints", "<df_points size=\"0\"/>", one_face, false,
                        "not a point of the 0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GraphReader, RepeatedIdsOverwriteAndUnnamedSlotsStayZero) {
    const graph_read read = read_graph_text(
        with_graph_data("<df_points size=\"3\"><p id=\"2\" x=\"1\" y=\"1\" z=\"1\"/>"
                        "<p id=\"0\" x=\"4\" y=\"5\" z=\"6\"/><p id=\"2\" x=\"7\" y=\"8\" z=\"9\"/>"
                        "</df_points>",
                        "<df_faces size=\"2\"><f id=\"1\" p0=\"2\" p1=\"1\" p2=\"0\"/>"
                        "<f id=\"1\" p0=\"0\" p1=\"1\" p2=\"2\"/></df_faces>"));
    ASSERT_TRUE(read.graph_loaded) << read.graph_error;
    EXPECT_EQ(read.document.points, (data_points_{{4, 5, 6}, {0, 0, 0}, {7, 8, 9}}));
    EXPECT_EQ(read.document.faces, (triangles{{0, 0, 0}, {0, 1, 2}}));
}

// Where each view value lives, in the order the reader takes them.
std::vector<std::pair<std::string, std::string>> view_places() {
    std::vector<std::pair<std::string, std::string>> places;
    const auto add = [&](std::initializer_list<const char*> elements,
                         std::initializer_list<const char*> attributes) {
        for (const char* e : elements)
            for (const char* a : attributes)
                places.emplace_back(e, a);
    };
    add({"screen_view_alpha", "screen_view_betta", "screen_view_radius", "screen_view_move_a",
         "screen_view_move_b", "space_selected_point_id"},
        {"val"});
    add({"shift_marks", "shift_scale", "axis_caption"}, {"x_val", "y_val", "z_val"});
    add({"shift_font_zoom", "font_color", "point_size"}, {"val"});
    add({"t_shift", "t_turn", "t_inv", "t_overturn"}, {"x_val", "y_val", "z_val"});
    add({"space_graph_mode"}, {"mode_points", "mode_lines", "mode_poligones"});
    return places;
}

TEST(GraphReader, ViewStopsAtItsFirstBadValueInReadingOrder) {
    const std::string text = graph_file_text(every_setting_changed(), "v", '.');
    const auto places = view_places();
    ASSERT_EQ(places.size(), size_t{view_value_count});
    for (int k = 0; k < view_value_count; ++k) {
        const auto& [element, attribute] = places[k];
        const bool is_text = element == "axis_caption";
        for (const char* value : {static_cast<const char*>(nullptr), "12abc"}) {
            if (value && is_text) continue; // any text is a caption
            const graph_read read =
                read_graph_text(edited(text, element.c_str(), attribute.c_str(), value));
            EXPECT_TRUE(read.graph_loaded);
            EXPECT_EQ(read.view_values_read, k) << element << ' ' << attribute;
            EXPECT_TRUE(read.has(static_cast<view_value>(k - 1)) || k == 0);
            EXPECT_FALSE(read.has(static_cast<view_value>(k)));
            EXPECT_NE(read.view_error.find(element), std::string::npos) << read.view_error;
        }
    }
}

TEST(GraphReader, MalformedRadiusKeepsAlphaAndBettaOnly) {
    const graph_document graph = every_setting_changed();
    const graph_read read = read_graph_text(
        edited(graph_file_text(graph, "v", '.'), "screen_view_radius", "val", "4.25.1"));
    ASSERT_TRUE(read.graph_loaded);
    EXPECT_EQ(read.document.points, graph.points);
    const graph_document fresh;
    EXPECT_EQ(read.document.camera, (camera_view{30.5f, -12, fresh.camera.radius,
                                                 fresh.camera.move_a, fresh.camera.move_b}));
    EXPECT_EQ(read.document.marks_step, fresh.marks_step);
    EXPECT_EQ(read.document.modes, fresh.modes);
}

TEST(GraphReader, CameraBeyondSinglePrecisionIsAnError) {
    const graph_read read =
        read_graph_text(edited(worked_example, "screen_view_betta", "val", "1E300"));
    EXPECT_EQ(read.view_values_read, 1);
}
