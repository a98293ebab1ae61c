// The window as it comes up: controls, hints, menus, and what the scene and
// the settings store received.
#include "window_fixture.h"

#include "ui/color_button.h"
#include "ui/product.h"

#include "net/update_address.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

#include <map>
#include <set>

namespace tessaline::test {
namespace {

TEST_F(WindowTest, StartsWithTheFreshStateInControlsCountersAndScene) {
    EXPECT_EQ(window->windowTitle(), "Tessaline");
    EXPECT_EQ(QApplication::applicationDisplayName(), "Tessaline");
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(window->marks_step(axis), 0);
        EXPECT_EQ(window->zoom_step(axis), 0);
    }
    EXPECT_EQ(window->font_zoom_step, 0);
    EXPECT_EQ(window->point_size, 7);
    EXPECT_FALSE(window->mouse_down);

    EXPECT_TRUE(find<QToolButton>("graph_points_btn")->isChecked());
    EXPECT_TRUE(find<QToolButton>("graph_lines_btn")->isChecked());
    EXPECT_FALSE(find<QToolButton>("graph_poligones_btn")->isChecked());
    EXPECT_TRUE(scene().mode_points);
    EXPECT_TRUE(scene().mode_lines);
    EXPECT_FALSE(scene().mode_poligones);
    for (const char* name : {"point_size_minus_btn", "point_size_plus_btn", "point_size_reset_btn"})
        EXPECT_TRUE(find<QToolButton>(name)->isEnabled()) << name;

    EXPECT_TRUE(find<QToolButton>("RotateModeButton")->isChecked());
    EXPECT_FALSE(find<QToolButton>("MoveModeButton")->isChecked());
    EXPECT_FALSE(find<QToolButton>("ZoomModeButton")->isChecked());
    EXPECT_EQ(screen().mode, nav_rotate);

    EXPECT_EQ(find<color_button>("font_color_btn")->color_value(), 0u);
    EXPECT_EQ(scene().font_color, (rgb_triple{0, 0, 0}));
    EXPECT_EQ(find<QLineEdit>("caption_x_ed")->text(), "X");
    EXPECT_EQ(find<QLineEdit>("caption_y_ed")->text(), "Y");
    EXPECT_EQ(find<QLineEdit>("caption_z_ed")->text(), "Z");
    // Nothing loaded yet: no marks, so the first frame shows the three axes
    // with their arrow heads and no tick or label (black, the label colour).
    EXPECT_TRUE(field().marks_x.empty() && field().marks_y.empty() && field().marks_z.empty());
    EXPECT_EQ(field().point_count, 0);
    screen().render(GL_RENDER);
    const rgb_image frame = screen().grab_frame();
    int dark = 0, coloured = 0;
    for (std::size_t i = 0; i + 2 < frame.pixels.size(); i += 3) {
        const int r = frame.pixels[i], g = frame.pixels[i + 1], b = frame.pixels[i + 2];
        dark += r < 60 && g < 60 && b < 60;
        coloured += std::max({r, g, b}) - std::min({r, g, b}) > 100;
    }
    EXPECT_EQ(dark, 0) << "no label or tick";
    EXPECT_GT(coloured, 100) << "the axes";
    for (const char* name : {"t_shift_x_false_rb", "t_shivt_z_false_rb", "t_turn_y_false_rb",
                             "t_inv_z_false_rb", "t_overturn_x_false_rb"})
        EXPECT_TRUE(find<QRadioButton>(name)->isChecked()) << name;
    EXPECT_EQ(scene().t_shift, (axis_flags{}));

    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
}

TEST_F(WindowTest, WritesTheVersionIntoTheSettingsStore) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Korrabel", "Tessaline");
    EXPECT_EQ(store.value("version").toString(), product::version());
}

TEST_F(WindowTest, EveryButtonShowsAnImageAndAHint) {
    const QList<QToolButton*> buttons = window->findChildren<QToolButton*>();
    int named = 0;
    for (QToolButton* b : buttons) {
        // Not the dialogs' buttons, nor those a tool bar makes for itself.
        if (b->window() != window.get() || b->objectName().isEmpty() ||
            b->objectName().startsWith("qt_"))
            continue;
        ++named;
        EXPECT_FALSE(b->toolTip().isEmpty()) << b->objectName().toStdString();
        EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
    }
    // 14 in the tool bars, 6 per axis box, 4 for the font, fit_btn and colour_btn.
    EXPECT_EQ(named, 14 + 3 * 6 + 4 + 2);
    EXPECT_EQ(find<QToolButton>("fit_btn")->toolTip(), "fit to data");
    // The hints keep their differing wordings.
    EXPECT_EQ(find<QToolButton>("point_size_minus_btn")->toolTip(), "point size decrease");
    EXPECT_EQ(find<QToolButton>("point_size_plus_btn")->toolTip(), "points size increase");
    EXPECT_EQ(find<QToolButton>("shift_makrs_z_plus_btn")->toolTip(),
              "plotting intervals increase for z");
    EXPECT_EQ(find<QToolButton>("scale_y_reset_btn")->toolTip(), "zoom reset y");
    EXPECT_EQ(find<QToolButton>("excel_xyz_btn")->toolTip(), "import from Excel or Calc");
    for (const char* bar : {"ToolBar1", "ToolBar2", "ToolBar3", "ToolBar4"}) {
        EXPECT_TRUE(find<QToolBar>(bar)->isMovable()) << bar;
        EXPECT_EQ(window->toolBarArea(find<QToolBar>(bar)), Qt::TopToolBarArea) << bar;
    }
    EXPECT_EQ(find<QToolButton>("font_color_btn")->focusPolicy(), Qt::NoFocus);
}

TEST_F(WindowTest, SettingsColumnHoldsFourGroupBoxesWithEveryRow) {
    auto* column = find<QScrollArea>("settings_sbx");
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(find<QSplitter>("Splitter1")->widget(1), column);
    const std::map<std::string, QString> boxes = {{"FontSettings", " Font "},
                                                  {"XSettings", " X "},
                                                  {"YSettings", " Y "},
                                                  {"ZSettings", " Z "}};
    for (const auto& [name, caption] : boxes) {
        auto* box = find<QGroupBox>(name.c_str());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title(), caption);
        EXPECT_TRUE(column->widget()->isAncestorOf(box));
    }
    // Each pair is a group of its own: selecting one side of a row leaves
    // every other row as it was.
    for (const char* axis : {"x", "y", "z"}) {
        for (const char* row : {"shift", "turn", "inv", "overturn"}) {
            const QString on = QStringLiteral("t_%1_%2_true_rb").arg(row, axis);
            auto* button = window->findChild<QRadioButton*>(on);
            ASSERT_NE(button, nullptr) << on.toStdString();
            EXPECT_TRUE(button->text().isEmpty());
        }
    }
    find<QRadioButton>("t_turn_y_true_rb")->click();
    EXPECT_TRUE(find<QRadioButton>("t_shift_y_false_rb")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("t_turn_x_false_rb")->isChecked());
    EXPECT_FALSE(find<QRadioButton>("t_turn_y_false_rb")->isChecked());
}

TEST_F(WindowTest, MenusHaveTheirCaptionsShortcutsAndImages) {
    struct item {
        const char* name;
        QString caption;
        QKeySequence shortcut;
        bool image;
    };
    const item items[] = {
        {"DataImport1", "Data Import", QKeySequence("Ctrl+I"), false},
        {"Save1", "Save As", QKeySequence(Qt::Key_F2), true},
        {"Open1", "Open", QKeySequence(Qt::Key_F3), true},
        {"Export1", "Export...", QKeySequence("Ctrl+E"), false},
        {"Exit1", "Exit", QKeySequence("Alt+F4"), false},
        {"V1", "Rotate", QKeySequence(Qt::Key_F5), true},
        {"Move1", "Move", QKeySequence(Qt::Key_F6), true},
        {"Zoom1", "Zoom", QKeySequence(Qt::Key_F7), true},
        {"Reset1", "Reset", QKeySequence(Qt::Key_F8), true},
        {"FitToData1", "Fit to Data", QKeySequence("Ctrl+F"), true},
        {"Orthographic1", "Orthographic", QKeySequence("Ctrl+5"), false},
        {"ColourByZ1", "Colour by Z", QKeySequence("Ctrl+K"), true},
        {"ColourBar1", "Colour Bar", QKeySequence(), false},
        {"SmoothShading1", "Smooth Shading", QKeySequence(), false},
        {"TopView1", "Top View", QKeySequence("Ctrl+7"), false},
        {"FrontView1", "Front View", QKeySequence("Ctrl+1"), false},
        {"SideView1", "Side View", QKeySequence("Ctrl+3"), false},
        {"MakeSnapshoot1", "Make Snapshot", QKeySequence(Qt::Key_F9), true},
        {"Points1", "Points", QKeySequence("Ctrl+P"), true},
        {"Lines1", "Lines", QKeySequence("Ctrl+L"), true},
        {"Pligones1", "Pligones", QKeySequence("Ctrl+G"), true},
        {"About1", "&About", QKeySequence(), false},
    };
    std::set<QString> shortcuts;
    for (const item& i : items) {
        auto* action = find<QAction>(i.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), i.caption) << i.name;
        EXPECT_EQ(action->shortcut(), i.shortcut) << i.name;
        EXPECT_EQ(!action->icon().isNull(), i.image) << i.name;
        if (!i.shortcut.isEmpty()) {
            EXPECT_TRUE(shortcuts.insert(i.shortcut.toString()).second) << "shortcut used twice";
        }
    }
    QStringList menus;
    for (QAction* a : window->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Mode", "&About"}));
}

TEST_F(WindowTest, UpdateReplyOffersTheDownloadOnlyForAnotherVersion) {
    bool offered = false;
    when_modal<QDialog>([&offered](QDialog* d) {
        offered = d->objectName() == "FUpdate";
        d->reject();
    });
    window->update_reply_arrived("junk <r><version val=\"" + product::version() + "\"/></r> junk");
    EXPECT_EQ(window->update_reply, "<r><version val=\"" + product::version() + "\"/></r>");
    EXPECT_FALSE(offered);
    window->update_reply_arrived("<r><version val=\"99.0\"/></r>");
    EXPECT_TRUE(offered);
    EXPECT_TRUE(window->download_address.endsWith("/content/download/2/"));
    // The token is made once and kept.
    const QString token = window->installation_token();
    EXPECT_FALSE(token.isEmpty());
    EXPECT_EQ(window->installation_token(), token);
}

TEST_F(WindowTest, ExitClosesTheWindow) {
    find<QAction>("Exit1")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, AboutWindowNamesProductVersionAndSite) {
    message_seen seen;
    answer_message_box(&seen);
    find<QAction>("About1")->trigger();
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.contains("Tessaline " + product::version()));
    EXPECT_TRUE(seen.text.contains(site_address()));
    EXPECT_EQ(site_address().size(), 20);
}

} // namespace
} // namespace tessaline::test
