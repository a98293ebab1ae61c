// The view commands beyond navigation: fit to data with its tool-bar and
// menu twins and its remembered choice, the parallel projection, the fixed
// views, and a reset that frames the graph. The graph file keeps the first two.
#include "window_fixture.h"

#include "settings/chemistry.h"

#include <QAction>

namespace tessaline::test {
namespace {

class ViewCommands : public WindowTest {
  protected:
    void TearDown() override {
        // The choice for new graphs outlives the window: leave the classic one.
        window->settings->write_setting(QStringLiteral("fit_to_data"), QStringLiteral("False"));
        WindowTest::TearDown();
    }
    void load_offset_graph() {
        data_points_ pts;
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 8; ++j)
                pts.push_back({1000 + i * 10.0 / 7, 300 + j * 10.0 / 7, 20 + 0.05 * ((i * j) % 7)});
        Datafield built;
        built.scaling = window->new_graph_scaling();
        built.load_points(pts);
        window->show_imported_graph(std::move(built), std::nullopt);
    }
};

TEST_F(ViewCommands, FitToDataSwitchesTheGraphAndIsRememberedForNewOnes) {
    load_offset_graph();
    ASSERT_EQ(field().scaling, axis_scaling::classic);
    const triangles faces = field().faces;
    auto* fit = find<QToolButton>("fit_btn");
    auto* menu = find<QAction>("FitToData1");
    EXPECT_EQ(redraws([&] { click("fit_btn"); }), 1);
    EXPECT_EQ(field().scaling, axis_scaling::fit);
    EXPECT_TRUE(menu->isChecked());
    EXPECT_EQ(field().faces, faces);
    EXPECT_EQ(field().marks_x[1].text, "1000");
    EXPECT_FLOAT_EQ(field().marks_x[1].position, -1);
    EXPECT_EQ(window->settings->read_setting(QStringLiteral("fit_to_data")), "True");
    EXPECT_EQ(window->new_graph_scaling(), axis_scaling::fit);

    // A new window starts in the remembered scaling, and so does its import.
    TFMain second;
    EXPECT_TRUE(second.findChild<QToolButton*>(QStringLiteral("fit_btn"))->isChecked());
    EXPECT_EQ(second.datafield->scaling, axis_scaling::fit);

    menu->trigger();
    EXPECT_FALSE(fit->isChecked());
    EXPECT_EQ(field().scaling, axis_scaling::classic);
    EXPECT_EQ(window->settings->read_setting(QStringLiteral("fit_to_data")), "False");
}

TEST_F(ViewCommands, TheFileKeepsScalingAndProjection) {
    load_offset_graph();
    click("fit_btn");
    find<QAction>("Orthographic1")->trigger();
    EXPECT_TRUE(screen().orthographic);
    const QString file = path("fitted.xyz");
    ASSERT_EQ(window->save_graph_file(file), "");

    // Back to the classic look, then the file brings its own back.
    click("fit_btn");
    find<QAction>("Orthographic1")->trigger();
    ASSERT_FALSE(screen().orthographic);
    ASSERT_EQ(window->open_graph_file(file), "");
    EXPECT_EQ(field().scaling, axis_scaling::fit);
    EXPECT_TRUE(find<QToolButton>("fit_btn")->isChecked());
    EXPECT_TRUE(screen().orthographic);
    EXPECT_TRUE(find<QAction>("Orthographic1")->isChecked());
    // Opening does not change the choice for new graphs.
    EXPECT_EQ(window->settings->read_setting(QStringLiteral("fit_to_data")), "False");
}

TEST_F(ViewCommands, FixedViewsAndResetFrameTheGraph) {
    load_offset_graph();
    screen().radius = 80;
    screen().move_a = 2;
    find<QAction>("TopView1")->trigger();
    EXPECT_EQ(screen().alpha, 0);
    EXPECT_EQ(screen().betta, 0);
    EXPECT_EQ(screen().move_a, 0);
    EXPECT_FLOAT_EQ(screen().radius, screen().framing_radius());
    find<QAction>("FrontView1")->trigger();
    EXPECT_EQ(screen().betta, 270);
    find<QAction>("SideView1")->trigger();
    EXPECT_EQ(screen().alpha, 270);
    const float side = screen().radius;
    click("ResetButton");
    EXPECT_EQ(screen().alpha, 315);
    EXPECT_EQ(screen().betta, 315);
    // Framing at the oblique angles needs more room than a view along an axis.
    EXPECT_GT(screen().radius, side);
    EXPECT_LT(screen().radius, 40);
}

TEST_F(ViewCommands, RangeEditsLimitTheAxisAndTheFileKeepsThem) {
    load_offset_graph();
    auto* min_x = find<QLineEdit>("range_x_min_ed");
    auto* max_x = find<QLineEdit>("range_x_max_ed");
    min_x->setText(QStringLiteral("1004"));
    EXPECT_EQ(redraws([&] { emit min_x->editingFinished(); }), 1);
    EXPECT_EQ(field().limits_x, (axis_limits{1004, std::nullopt}));
    EXPECT_FALSE(field().shown.empty());
    EXPECT_FALSE(field().point_shown(0)); // x = 1000

    // No number: the edit shows the limit in force again, nothing changes.
    max_x->setText(QStringLiteral("ten"));
    EXPECT_EQ(redraws([&] { emit max_x->editingFinished(); }), 0);
    EXPECT_EQ(max_x->text(), "");
    EXPECT_EQ(field().limits_x, (axis_limits{1004, std::nullopt}));

    const QString file = path("limited.xyz");
    ASSERT_EQ(window->save_graph_file(file), "");
    min_x->setText(QString());
    emit min_x->editingFinished();
    EXPECT_TRUE(field().shown.empty());
    ASSERT_EQ(window->open_graph_file(file), "");
    EXPECT_EQ(field().limits_x, (axis_limits{1004, std::nullopt}));
    EXPECT_EQ(min_x->text(), "1004");
    // A new import starts without limits.
    load_offset_graph();
    EXPECT_TRUE(field().shown.empty());
    EXPECT_EQ(min_x->text(), "");
}

} // namespace
} // namespace tessaline::test
