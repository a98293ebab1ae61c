// File > Export through its dialog: the format of the name, the mesh of the
// data field, and the error box for a graph that cannot be exported.
#include "window_fixture.h"

#include "support/mesh_readers.h"

#include <QAction>
#include <QFileDialog>

namespace tessaline::test {
namespace {

class MeshExportCommand : public WindowTest {};

TEST_F(MeshExportCommand, ExportsTheDataFieldInTheFormatOfTheName) {
    field().load_points({{10, 20, 1}, {11, 20, 2}, {10, 21, 3}, {11.5, 21.5, 0.25}});
    ASSERT_GT(field().faces.size(), 0u);
    QString title;
    answer_file_dialog(path("mesh.glb"), &title);
    find<QAction>("Export1")->trigger();
    EXPECT_EQ(title, "Export Mesh");
    const auto* dialog = window->findChild<QFileDialog*>(QStringLiteral("mesh_export_dialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters().size(), 4);

    const testing::read_mesh m = testing::read_glb(path("mesh.glb").toStdString());
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.points.size(), 4u);
    EXPECT_EQ(m.faces.size(), field().faces.size());
    EXPECT_EQ(m.points[3], (std::array<double, 3>{11.5, 21.5, 0.25}));

    // The same dialog again, now for OBJ: the data values, not scene units.
    answer_file_dialog(path("mesh.obj"));
    find<QAction>("Export1")->trigger();
    const testing::read_mesh obj = testing::read_obj(path("mesh.obj").toStdString());
    ASSERT_EQ(obj.error, "");
    EXPECT_EQ(obj.points[1], (std::array<double, 3>{11, 20, 2}));
}

TEST_F(MeshExportCommand, AnEmptyGraphIsReportedAndNothingWritten) {
    message_seen seen;
    answer_message_box(&seen);
    answer_file_dialog(path("empty.ply"));
    find<QAction>("Export1")->trigger();
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.contains("the graph has no point")) << seen.text.toStdString();
    EXPECT_FALSE(QFile::exists(path("empty.ply")));
}

} // namespace
} // namespace tessaline::test
