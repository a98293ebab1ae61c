// The settings column, the graph-mode and point-size buttons and the Mode
// menu: counters, what reaches the data field and the scene, and redraws.
#include "window_fixture.h"

#include "ui/color_button.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

namespace tessaline::test {
namespace {

std::vector<std::string> texts(const marks& list) {
    std::vector<std::string> out;
    for (const mark& m : list)
        out.push_back(m.text);
    return out;
}

std::vector<float> positions(const marks& list) {
    std::vector<float> out;
    for (const mark& m : list)
        out.push_back(m.position);
    return out;
}

class SettingsPanel : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        // A graph whose axes differ, so that marks show whose axis changed.
        reference.load_points({{-3, 0, 10}, {7.5, 1, 20}, {0, 0.5, 15}, {2, 0.2, 11}});
        field().load_points(reference.points);
    }
    // The marks a data field gets for these steps, computed apart.
    marks expected_x(std::int32_t shift, std::int32_t zoom) {
        reference.set_shift_marks_x(shift);
        reference.set_shift_scale_x(zoom);
        return reference.marks_x;
    }
    Datafield reference;
};

TEST_F(SettingsPanel, IntervalButtonsRebuildTheirAxisAndKeepItsZoom) {
    click("scale_x_plus_btn");
    click("shift_marks_x_plus_btn");
    click("shift_marks_x_plus_btn");
    EXPECT_EQ(window->marks_step_x, 2);
    EXPECT_EQ(texts(field().marks_x), texts(expected_x(2, 1)));
    EXPECT_EQ(positions(field().marks_x), positions(expected_x(2, 1)));

    // Plus then minus comes back to the same marks; reset to the start's.
    click("shift_marks_x_minus_btn");
    click("shift_marks_x_plus_btn");
    EXPECT_EQ(positions(field().marks_x), positions(expected_x(2, 1)));
    click("shift_marks_x_reset_btn");
    EXPECT_EQ(window->marks_step_x, 0);
    EXPECT_EQ(positions(field().marks_x), positions(expected_x(0, 1)));

    // Z's plus button has its own spelling; the other axes stay untouched.
    const marks y_before = field().marks_y;
    click("shift_makrs_z_plus_btn");
    EXPECT_EQ(window->marks_step_z, 1);
    EXPECT_EQ(window->marks_step_y, 0);
    EXPECT_EQ(positions(field().marks_y), positions(y_before));
}

TEST_F(SettingsPanel, ZoomButtonsSendAllThreeStepsAndReplaceOneAxis) {
    click("scale_y_minus_btn");
    click("scale_x_plus_btn");
    click("scale_x_plus_btn");
    EXPECT_EQ(scene().axis_scale_x, zoom_factor(2));
    EXPECT_EQ(scene().axis_scale_y, zoom_factor(-1));
    EXPECT_EQ(positions(field().marks_x), positions(expected_x(0, 2)));
    click("scale_x_reset_btn");
    EXPECT_EQ(window->zoom_step_x, 0);
    EXPECT_EQ(window->zoom_step_y, -1);
    EXPECT_EQ(scene().axis_scale_x, 1.0f);
    EXPECT_EQ(scene().axis_scale_y, zoom_factor(-1));
    EXPECT_EQ(positions(field().marks_x), positions(expected_x(0, 0)));
}

TEST_F(SettingsPanel, EveryButtonRedrawsOnce) {
    for (const char* name :
         {"shift_marks_y_minus_btn", "shift_marks_y_plus_btn", "shift_marks_y_reset_btn",
          "scale_z_minus_btn", "scale_z_plus_btn", "scale_z_reset_btn", "font_zoom_minus_btn",
          "font_zoom_plus_btn", "font_zoom_reset_btn", "graph_poligones_btn", "graph_lines_btn",
          "point_size_minus_btn", "point_size_plus_btn", "point_size_reset_btn"})
        EXPECT_EQ(redraws([&] { click(name); }), 1) << name;
}

TEST_F(SettingsPanel, CountersStopAtTheirCaps) {
    for (int i = 0; i < 40; ++i) {
        click("shift_marks_x_plus_btn");
        click("shift_marks_y_minus_btn");
        click("scale_z_plus_btn");
        click("font_zoom_minus_btn");
    }
    EXPECT_EQ(window->marks_step_x, max_marks_step);
    EXPECT_EQ(window->marks_step_y, min_marks_step);
    EXPECT_EQ(window->zoom_step_z, max_zoom_step);
    EXPECT_EQ(window->font_zoom_step, -max_font_zoom_step);
    // One step back leaves the cap at once.
    click("shift_marks_x_minus_btn");
    EXPECT_EQ(window->marks_step_x, max_marks_step - 1);
    EXPECT_EQ(positions(field().marks_x), positions(expected_x(max_marks_step - 1, 0)));
}

TEST_F(SettingsPanel, FontZoomAndColourReachTheScene) {
    click("font_zoom_plus_btn");
    click("font_zoom_plus_btn");
    EXPECT_EQ(scene().font_size, zoom_factor(2) * scene().font_base_size);
    click("font_zoom_reset_btn");
    EXPECT_EQ(scene().font_size, scene().font_base_size);

    auto* colour = find<color_button>("font_color_btn");
    // A palette entry, as the drop-down offers it.
    QAction* red = colour->menu()->actions().at(9);
    EXPECT_EQ(redraws([&] { red->trigger(); }), 1);
    EXPECT_EQ(colour->color_value(), 0x0000ffu);
    EXPECT_EQ(scene().font_color, (rgb_triple{255, 0, 0}));
    // The same colour again is no change.
    EXPECT_EQ(redraws([&] { red->trigger(); }), 0);
    EXPECT_EQ(colour->menu()->actions().last()->text(), "&Other...");
}

TEST_F(SettingsPanel, CaptionEditsRenameTheirAxisAtItsZoom) {
    click("scale_y_plus_btn");
    auto* edit = find<QLineEdit>("caption_y_ed");
    edit->selectAll();
    QTest::keyClicks(edit, "depth");
    EXPECT_EQ(field().marks_y[0].text, "depth");
    reference.set_captions("X", "depth", "Z");
    reference.set_shift_scale_y(1);
    EXPECT_EQ(field().marks_y[0].position, reference.marks_y[0].position);
    EXPECT_NE(field().marks_y[0].position, 1.3f);
    edit->clear();
    EXPECT_EQ(field().marks_y[0].text, "");
    EXPECT_EQ(field().marks_x[0].text, "X");
}

TEST_F(SettingsPanel, RadioPairsSendTheirRowAndIgnoreTheSelectedButton) {
    EXPECT_EQ(redraws([&] { find<QRadioButton>("t_shift_y_true_rb")->click(); }), 1);
    EXPECT_EQ(scene().t_shift, (axis_flags{false, true, false}));
    EXPECT_EQ(redraws([&] { find<QRadioButton>("t_shift_y_true_rb")->click(); }), 0);
    find<QRadioButton>("t_turn_z_true_rb")->click();
    find<QRadioButton>("t_inv_x_true_rb")->click();
    find<QRadioButton>("t_overturn_y_true_rb")->click();
    EXPECT_EQ(scene().t_turn, (axis_flags{false, false, true}));
    EXPECT_EQ(scene().t_inv, (axis_flags{true, false, false}));
    EXPECT_EQ(scene().t_overturn, (axis_flags{false, true, false}));
    find<QRadioButton>("t_shivt_z_false_rb")->click(); // already selected
    find<QRadioButton>("t_shift_y_false_rb")->click();
    EXPECT_EQ(scene().t_shift, (axis_flags{}));
    EXPECT_EQ(scene().t_turn, (axis_flags{false, false, true}));
}

TEST_F(SettingsPanel, PointsButtonEnablesSizeButtonsAndDropsTheSelection) {
    scene().select_point(2);
    click("graph_points_btn");
    EXPECT_FALSE(scene().mode_points);
    EXPECT_EQ(scene().selected_point_id, -1);
    for (const char* name : {"point_size_minus_btn", "point_size_plus_btn", "point_size_reset_btn"})
        EXPECT_FALSE(find<QToolButton>(name)->isEnabled()) << name;
    click("graph_points_btn");
    EXPECT_TRUE(find<QToolButton>("point_size_plus_btn")->isEnabled());

    // Any combination, none included.
    click("graph_lines_btn");
    click("graph_points_btn");
    EXPECT_FALSE(scene().mode_points || scene().mode_lines || scene().mode_poligones);
    click("graph_poligones_btn");
    EXPECT_TRUE(scene().mode_poligones);
}

TEST_F(SettingsPanel, PointSizeStaysAtLeastOne) {
    for (int i = 0; i < 6; ++i)
        click("point_size_minus_btn");
    EXPECT_EQ(window->point_size, 1);
    EXPECT_EQ(redraws([&] { click("point_size_minus_btn"); }), 1);
    EXPECT_EQ(window->point_size, 1);
    EXPECT_EQ(scene().point_size, 1);
    click("point_size_plus_btn");
    EXPECT_EQ(scene().point_size, 2);
    click("point_size_reset_btn");
    EXPECT_EQ(scene().point_size, 7);
    // No cap short of the counter's range.
    for (int i = 0; i < 100; ++i)
        click("point_size_plus_btn");
    EXPECT_EQ(window->point_size, 107);
    EXPECT_EQ(scene().point_size, 107);
}

TEST_F(SettingsPanel, ModeMenuOnlySwitchesOnWithoutRedrawOrSideEffects) {
    click("graph_points_btn"); // off: size buttons disabled
    scene().select_point(1);
    EXPECT_EQ(redraws([&] { find<QAction>("Points1")->trigger(); }), 0);
    EXPECT_TRUE(find<QToolButton>("graph_points_btn")->isChecked());
    EXPECT_TRUE(scene().mode_points);
    EXPECT_FALSE(find<QToolButton>("point_size_plus_btn")->isEnabled());
    EXPECT_EQ(scene().selected_point_id, 1);
    // Already on: stays on.
    find<QAction>("Points1")->trigger();
    EXPECT_TRUE(scene().mode_points);

    find<QAction>("Pligones1")->trigger();
    EXPECT_TRUE(scene().mode_poligones);
    click("graph_lines_btn");
    EXPECT_FALSE(scene().mode_lines);
    find<QAction>("Lines1")->trigger();
    EXPECT_TRUE(scene().mode_lines);
    EXPECT_TRUE(find<QToolButton>("graph_lines_btn")->isChecked());
}

} // namespace
} // namespace tessaline::test
