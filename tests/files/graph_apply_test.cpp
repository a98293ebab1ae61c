#include "files/graph_apply.h"
#include "files/graph_writer.h"
#include "graph_document_samples.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::testing;

namespace {

// What the view shows after the same steps taken by hand, in the reader's order.
Datafield by_hand(const graph_document& d) {
    Datafield field;
    field.load_graph(d.points, d.faces);
    field.set_shift_marks_x(d.marks_step.x);
    field.set_shift_marks_y(d.marks_step.y);
    field.set_shift_marks_z(d.marks_step.z);
    field.set_captions(d.captions.x, d.captions.y, d.captions.z);
    field.set_shift_scale_x(d.zoom_step.x);
    field.set_shift_scale_y(d.zoom_step.y);
    field.set_shift_scale_z(d.zoom_step.z);
    return field;
}

void expect_same_marks(const marks& a, const marks& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].text, b[i].text) << i;
        EXPECT_EQ(a[i].position, b[i].position) << i;
    }
}

} // namespace

TEST(GraphApply, MarksGetShiftCaptionThenZoom) {
    const graph_document graph = every_setting_changed();
    Datafield field;
    apply_to_datafield(field, read_graph_text(graph_file_text(graph, "v", '.')));
    const Datafield expected = by_hand(graph);
    expect_same_marks(field.marks_x, expected.marks_x);
    expect_same_marks(field.marks_y, expected.marks_y);
    expect_same_marks(field.marks_z, expected.marks_z);
    // Zoom step 2 on x: the caption stands at 1.3 x 1.44, not at 1.3.
    EXPECT_EQ(field.marks_x[0].text, "Depth & width");
    EXPECT_FLOAT_EQ(field.marks_x[0].position, 1.3f * 1.44f);
}

TEST(GraphApply, AViewCutShortLeavesCaptionsAtZoomOne) {
    graph_document graph = every_setting_changed();
    std::string text = graph_file_text(graph, "v", '.');
    text.replace(text.find("z_val=\"Z\""), 9, ""); // the last caption is missing
    const graph_read read = read_graph_text(text);
    ASSERT_EQ(read.view_values_read, static_cast<int>(view_value::caption_z));
    Datafield field;
    apply_to_datafield(field, read);
    EXPECT_EQ(field.marks_x[0].position, 1.3f);
    EXPECT_EQ(field.marks_x[0].text, "Depth & width");
    EXPECT_EQ(field.marks_z[0].text, "Z");
}

TEST(GraphApply, AFailedGraphBlockKeepsThePreviousGraph) {
    Datafield field;
    field.load_points({{1, 2, 3}, {4, 5, 6}, {7, 8, 0}});
    const triangles previous_faces = field.faces;
    graph_document graph = every_setting_changed();
    graph.faces = {};
    std::string text = graph_file_text(graph, "v", '.');
    text.replace(text.find("<df_faces size=\"0\" />"), 21, "");
    const graph_read read = read_graph_text(text);
    ASSERT_FALSE(read.graph_loaded);
    apply_to_datafield(field, read);
    EXPECT_EQ(field.point_count, 3);
    EXPECT_EQ(field.faces, previous_faces);
    EXPECT_EQ(field.marks_y[0].text, "a < b");
}
