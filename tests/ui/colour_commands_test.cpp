// Colour by height in the window: the tool-bar toggle and its menu twin, the
// map, bar and shading choices, remembered for new graphs and kept per graph
// by the graph file.
#include "window_fixture.h"

#include "settings/chemistry.h"

#include <QAction>

namespace tessaline::test {
namespace {

class ColourCommands : public WindowTest {
  protected:
    void TearDown() override {
        // The choices for new graphs outlive the window: leave the classic ones.
        for (const char* key : {"colour_by_z", "smooth_shading"})
            window->settings->write_setting(QString::fromLatin1(key), QStringLiteral("False"));
        window->settings->write_setting(QStringLiteral("colour_map"), QStringLiteral("viridis"));
        window->settings->write_setting(QStringLiteral("colour_bar"), QStringLiteral("True"));
        WindowTest::TearDown();
    }
};

TEST_F(ColourCommands, ToggleAndMapsColourTheGraphAndAreRemembered) {
    EXPECT_EQ(scene().colours, colour_map::off);
    auto* menu = find<QAction>("ColourByZ1");
    EXPECT_EQ(redraws([&] { click("colour_btn"); }), 1);
    EXPECT_EQ(scene().colours, colour_map::viridis);
    EXPECT_TRUE(menu->isChecked());
    EXPECT_EQ(window->settings->read_setting(QStringLiteral("colour_by_z")), "True");

    // A map from the menu shows at once; so do the bar and the shading.
    find<QAction>("ColourMap_diverging")->trigger();
    EXPECT_EQ(scene().colours, colour_map::diverging);
    find<QAction>("ColourBar1")->trigger();
    find<QAction>("SmoothShading1")->trigger();
    EXPECT_FALSE(scene().colour_bar);
    EXPECT_TRUE(scene().smooth_shading);
    EXPECT_EQ(window->settings->read_setting(QStringLiteral("colour_map")), "diverging");

    // A new window starts with the remembered choices.
    TFMain second;
    EXPECT_TRUE(second.findChild<QToolButton*>(QStringLiteral("colour_btn"))->isChecked());
    EXPECT_EQ(second.shown_colours(), colour_map::diverging);
    EXPECT_FALSE(second.findChild<QAction*>(QStringLiteral("ColourBar1"))->isChecked());

    menu->trigger();
    EXPECT_FALSE(find<QToolButton>("colour_btn")->isChecked());
    EXPECT_EQ(scene().colours, colour_map::off);
    EXPECT_EQ(window->settings->read_setting(QStringLiteral("colour_by_z")), "False");
}

TEST_F(ColourCommands, TheFileKeepsTheColouringAndAFileWithoutItIsClassic) {
    Datafield built;
    built.load_points({{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 3}});
    window->show_imported_graph(std::move(built), std::nullopt);
    find<QAction>("ColourMap_cividis")->trigger();
    find<QAction>("SmoothShading1")->trigger();
    const QString coloured = path("coloured.xyz");
    ASSERT_EQ(window->save_graph_file(coloured), "");
    click("colour_btn");
    find<QAction>("SmoothShading1")->trigger();
    const QString classic = path("classic.xyz");
    ASSERT_EQ(window->save_graph_file(classic), "");

    ASSERT_EQ(window->open_graph_file(coloured), "");
    EXPECT_EQ(scene().colours, colour_map::cividis);
    EXPECT_TRUE(scene().smooth_shading);
    EXPECT_TRUE(find<QToolButton>("colour_btn")->isChecked());
    ASSERT_EQ(window->open_graph_file(classic), "");
    EXPECT_EQ(scene().colours, colour_map::off);
    EXPECT_FALSE(scene().smooth_shading);
}

} // namespace
} // namespace tessaline::test
