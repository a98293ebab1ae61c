// Save, Open and the snapshot through their dialogs, the error report, and
// opening at start-up.
#include "window_fixture.h"

#include "ui/color_button.h"
#include "ui/error_report.h"

#include "files/graph_reader.h"
#include "files/graph_writer.h"
#include "settings/chemistry.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QFile>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>

#include <memory>
#include <new>
#include <unistd.h>

namespace tessaline::test {
namespace {

void write_text(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray read_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every state a graph file keeps, as the window and the scene hold it.
struct view_state {
    std::vector<std::int32_t> counters;
    std::vector<QString> captions;
    std::uint32_t color = 0;
    std::vector<bool> buttons;
    std::vector<float> camera;
    std::int32_t selected = 0;
    axis_flags shift, turn, inv, overturn;
    std::vector<bool> modes;
    std::vector<float> scales;
    float font_size = 0;
    std::int32_t scene_point_size = 0;
    data_points_ points;
    triangles faces;
    std::vector<float> mark_positions;
    bool operator==(const view_state&) const = default;
};

class FileCommands : public WindowTest {
  protected:
    view_state state() {
        TFMain& w = *window;
        view_state s;
        s.counters = {w.marks_step_x, w.marks_step_y, w.marks_step_z,   w.zoom_step_x,
                      w.zoom_step_y,  w.zoom_step_z,  w.font_zoom_step, w.point_size};
        for (const auto& a : w.axes) {
            s.captions.push_back(a.caption_ed->text());
            for (QRadioButton* b : {a.t_shift_true_rb, a.t_turn_true_rb, a.t_inv_true_rb,
                                    a.t_overturn_true_rb, a.t_shift_false_rb})
                s.buttons.push_back(b->isChecked());
        }
        for (QToolButton* b :
             {w.graph_points_btn, w.graph_lines_btn, w.graph_poligones_btn, w.point_size_minus_btn,
              w.point_size_plus_btn, w.point_size_reset_btn})
            s.buttons.push_back(b->isChecked() || !b->isEnabled());
        s.color = w.font_color_btn->color_value();
        s.camera = {screen().alpha, screen().betta, screen().radius, screen().move_a,
                    screen().move_b};
        const space& sc = scene();
        s.selected = sc.selected_point_id;
        s.shift = sc.t_shift;
        s.turn = sc.t_turn;
        s.inv = sc.t_inv;
        s.overturn = sc.t_overturn;
        s.modes = {sc.mode_points, sc.mode_lines, sc.mode_poligones};
        s.scales = {sc.axis_scale_x, sc.axis_scale_y, sc.axis_scale_z};
        s.font_size = sc.font_size;
        s.scene_point_size = sc.point_size;
        s.points = field().points;
        s.faces = field().faces;
        for (const marks* list : {&field().marks_x, &field().marks_y, &field().marks_z})
            for (const mark& m : *list)
                s.mark_positions.push_back(m.position);
        return s;
    }

    // Sets every control away from its start value, by the user's means.
    void change_everything() {
        field().load_points({{0, 0, 1}, {1, 0, 2}, {0, 1, 3}, {1, 1, 5}, {0.5, 0.4, 2}});
        click("shift_marks_x_plus_btn");
        click("shift_marks_y_minus_btn");
        click("scale_z_plus_btn");
        click("scale_x_minus_btn");
        click("font_zoom_plus_btn");
        click("point_size_plus_btn");
        window->axes[1].caption_ed->setText("a <b> & c");
        window->font_color_btn->set_color_value(0x123456);
        find<QRadioButton>("t_shift_z_true_rb")->click();
        find<QRadioButton>("t_turn_x_true_rb")->click();
        find<QRadioButton>("t_inv_y_true_rb")->click();
        find<QRadioButton>("t_overturn_z_true_rb")->click();
        click("graph_poligones_btn");
        click("graph_points_btn");
        scene().selected_point_id = 3;
        screen().alpha = 12.5f;
        screen().betta = 300;
        screen().radius = 7;
        screen().move_a = 0.25f;
        screen().move_b = -0.5f;
    }
};

TEST_F(FileCommands, SaveThenOpenRestoresEveryControl) {
    change_everything();
    const view_state saved = state();
    const QString file = path("everything.xyz");
    ASSERT_EQ(window->save_graph_file(file), "");

    // A fresh window opens the file to the same state.
    window.reset();
    SetUp();
    ASSERT_NE(state(), saved);
    ASSERT_EQ(window->open_graph_file(file), "");
    EXPECT_EQ(state(), saved);

    // Saving again gives the same file.
    ASSERT_EQ(window->save_graph_file(path("again.xyz")), "");
    EXPECT_EQ(read_bytes(path("again.xyz")), read_bytes(file));
}

TEST_F(FileCommands, ToolBarCommandsRedrawAfterTheirDialogAndMenuCommandsDoNot) {
    QString title;
    answer_file_dialog(path("tool"), &title);
    EXPECT_EQ(redraws([&] { click("save_btn"); }), 1);
    EXPECT_EQ(title, "Save Graph Object");
    EXPECT_TRUE(QFile::exists(path("tool.xyz"))) << "the default extension is added";

    answer_file_dialog(path("menu.xyz"));
    EXPECT_EQ(redraws([&] { find<QAction>("Save1")->trigger(); }), 0);
    EXPECT_EQ(read_bytes(path("menu.xyz")), read_bytes(path("tool.xyz")));

    answer_file_dialog("", &title);
    EXPECT_EQ(redraws([&] { click("load_btn"); }), 1);
    EXPECT_EQ(title, "Open Graph Object");
    answer_file_dialog("");
    EXPECT_EQ(redraws([&] { find<QAction>("Open1")->trigger(); }), 0);

    click("scale_x_plus_btn");
    answer_file_dialog(path("tool.xyz"));
    EXPECT_EQ(redraws([&] { click("load_btn"); }), 1);
    EXPECT_EQ(window->zoom_step_x, 0);

    EXPECT_EQ(window->xyz_save_dialog->defaultSuffix(), "xyz");
    EXPECT_EQ(window->xyz_save_dialog->nameFilters(), QStringList{"*.xyz (*.xyz)"});
    EXPECT_EQ(window->xyz_open_dialog->nameFilters().first(),
              "Graphs, tables and workbooks (*.xyz *.csv *.tsv *.txt *.dat *.xlsx *.xls *.ods)");
    EXPECT_TRUE(window->xyz_open_dialog->nameFilters().contains("Graph files (*.xyz)"));
    EXPECT_FALSE(window->xyz_save_dialog->testOption(QFileDialog::DontConfirmOverwrite));
}

TEST_F(FileCommands, AMalformedFileIsReportedAndChangesNothing) {
    change_everything();
    const view_state before = state();
    const QString file = path("broken.xyz");
    write_text(file, "<graph><program_name val=\"Tessaline\"/>");
    const QString expected =
        error_report_text(QString::fromStdString(read_graph_file(file.toStdString()).error));
    ASSERT_FALSE(expected.isEmpty());

    message_seen seen;
    answer_message_box(&seen);
    answer_file_dialog(file);
    EXPECT_EQ(redraws([&] { click("load_btn"); }), 0) << "a failed command skips its redraw";
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, "Tessaline");
    EXPECT_EQ(seen.text, expected);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(state(), before);
}

TEST_F(FileCommands, AFileBeyondTheMemoryIsReportedAndChangesNothing) {
    change_everything();
    const view_state before = state();
    // Markup, then 64 GB that take no disk space.
    const QString file = path("huge.xyz");
    write_text(file, "<graph>");
    if (::truncate(file.toLocal8Bit().constData(), off_t{64} << 30) != 0)
        GTEST_SKIP() << "no sparse files here";
    message_seen seen;
    answer_message_box(&seen);
    answer_file_dialog(file);
    click("load_btn");
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.startsWith("Cannot open \"" + file +
                                     "\": not enough memory to read it: it needs about "))
        << seen.text.toStdString();
    EXPECT_EQ(state(), before);
}

// Opening a large file shows progress with Cancel; a cancelled open keeps
// the window as it was and says nothing.
TEST_F(FileCommands, ACancelledOpenChangesNothing) {
    change_everything();
    const view_state before = state();
    graph_document big;
    std::uint32_t seed = 1;
    for (int i = 0; i < 400000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        big.points.push_back({static_cast<double>(seed >> 8), static_cast<double>(i), 1});
    }
    const QString file = path("big.xyz");
    ASSERT_TRUE(tessaline::save_graph_file(file.toStdString(), big, "1").ok());

    auto cancelled = std::make_shared<bool>(false);
    when_modal<QProgressDialog>([cancelled](QProgressDialog* progress) {
        if (auto* cancel = progress->findChild<QPushButton*>()) cancel->click();
        *cancelled = true;
    });
    window->open_quiet_milliseconds = 0;
    bool opened = true;
    EXPECT_EQ(window->open_graph_file(file, &opened), "");
    ASSERT_TRUE(*cancelled) << "the progress window showed";
    EXPECT_FALSE(opened);
    EXPECT_EQ(state(), before);
}

TEST_F(FileCommands, ATableOpenedAsAGraphFileSaysHowTablesComeIn) {
    const QString file = path("table.csv");
    write_text(file, "x,y,z\n1,2,3\n");
    const QString error = window->open_graph_file(file);
    EXPECT_TRUE(error.startsWith("\"" + file + "\" is not a graph file: it holds no XML markup."))
        << error.toStdString();
    EXPECT_TRUE(error.contains("File > Data Import (Ctrl+I)")) << error.toStdString();
}

TEST_F(FileCommands, TheOpenDialogOffersTheLastNameToTypeOverAndClosesItsCompletion) {
    ASSERT_TRUE(window->save_graph_file(path("first.xyz")).isEmpty());
    ASSERT_TRUE(window->save_graph_file(path("second.xyz")).isEmpty());
    // The first time the user types the whole path.
    when_modal<QFileDialog>([&](QFileDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path("first.xyz"));
        static_cast<QDialog*>(dialog)->accept();
    });
    click("load_btn");

    // Next time the field holds the bare name, all selected, in its folder;
    // and a completion list open when the dialog is accepted goes with it.
    QString offered, selected, folder;
    bool list_was_open = false;
    QAbstractItemView* list = nullptr;
    when_modal<QFileDialog>([&](QFileDialog* dialog) {
        // Whatever is seen, the dialog is answered, so a failure cannot hang.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QTest::qWait(50);
        offered = name->text();
        selected = name->selectedText();
        folder = dialog->directory().absolutePath();
        name->setFocus();
        name->setText("sec");
        if (QCompleter* completer = name->completer()) {
            completer->complete();
            list = completer->popup();
            list_was_open = QTest::qWaitFor([&] { return list->isVisible(); }, 2000);
        }
        name->setText(path("second.xyz"));
        static_cast<QDialog*>(dialog)->accept();
    });
    click("load_btn");
    EXPECT_EQ(offered, "first.xyz");
    EXPECT_EQ(selected, "first.xyz");
    EXPECT_EQ(folder, QFileInfo(path("first.xyz")).absolutePath());
    ASSERT_TRUE(list_was_open);
    EXPECT_FALSE(list->isVisible());
}

TEST_F(FileCommands, AnErrorEscapingAHandlerIsReportedInWords) {
    // What a handler deep in the toolkit's call would let out.
    message_seen seen;
    answer_message_box(&seen);
    QTimer::singleShot(0, window.get(), [] { throw std::bad_alloc(); });
    QTRY_VERIFY_WITH_TIMEOUT(seen.shown, 5000);
    EXPECT_EQ(seen.text, "not enough memory for this task.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(FileCommands, AnotherProgramsFileIsPassedOverSilently) {
    write_text(path("other.xyz"), "<graph><program_name val=\"Other\"/></graph>");
    EXPECT_EQ(window->open_graph_file(path("other.xyz")), "");
    EXPECT_EQ(field().point_count, 0);
}

TEST_F(FileCommands, HugeStepsInAFileAreCapped) {
    write_text(path("huge.xyz"),
               "<?xml version=\"1.0\"?><graph><program_name val=\"Tessaline\"/>"
               "<df_points size=\"2\"><p id=\"0\" x=\"0\" y=\"0\" z=\"0\"/>"
               "<p id=\"1\" x=\"1\" y=\"1\" z=\"1\"/></df_points><df_faces size=\"0\"/>"
               "<screen_view_alpha val=\"1\"/><screen_view_betta val=\"2\"/>"
               "<screen_view_radius val=\"3\"/><screen_view_move_a val=\"0\"/>"
               "<screen_view_move_b val=\"0\"/><space_selected_point_id val=\"-1\"/>"
               "<shift_marks x_val=\"2000000000\" y_val=\"-2000000000\" z_val=\"3\"/>"
               "<shift_scale x_val=\"2000000000\" y_val=\"-2000000000\" z_val=\"1\"/>"
               "<axis_caption x_val=\"X\" y_val=\"Y\" z_val=\"Z\"/>"
               "<shift_font_zoom val=\"2147483647\"/><font_color val=\"0\"/>"
               "<point_size val=\"2147483647\"/></graph>");
    ASSERT_EQ(window->open_graph_file(path("huge.xyz")), "");
    EXPECT_EQ(window->marks_step_x, max_marks_step);
    EXPECT_EQ(window->marks_step_y, min_marks_step);
    EXPECT_EQ(window->marks_step_z, 3);
    EXPECT_EQ(window->zoom_step_x, max_zoom_step);
    EXPECT_EQ(window->zoom_step_y, -max_zoom_step);
    EXPECT_EQ(window->font_zoom_step, max_font_zoom_step);
    EXPECT_EQ(window->point_size, max_point_size);
    EXPECT_EQ(scene().axis_scale_x, zoom_factor(max_zoom_step));
    // The view block stopped at the missing flags; what came before is applied.
    EXPECT_EQ(screen().radius, 3);
    EXPECT_LT(field().marks_x.size(), 5000u);
    // A plus click at the cap stays there.
    click("point_size_plus_btn");
    EXPECT_EQ(window->point_size, max_point_size);
}

TEST_F(FileCommands, APartlyReadViewKeepsMarksAndCountersInStep) {
    click("scale_x_plus_btn");
    click("scale_x_plus_btn");
    // The zoom steps are unreadable: the interval shifts are taken and the
    // marks keep the zoom the window still has.
    write_text(path("part.xyz"),
               "<graph><program_name val=\"Tessaline\"/>"
               "<df_points size=\"0\"/><df_faces size=\"0\"/>"
               "<screen_view_alpha val=\"1\"/><screen_view_betta val=\"2\"/>"
               "<screen_view_radius val=\"3\"/><screen_view_move_a val=\"0\"/>"
               "<screen_view_move_b val=\"0\"/><space_selected_point_id val=\"-1\"/>"
               "<shift_marks x_val=\"1\" y_val=\"0\" z_val=\"0\"/>"
               "<shift_scale x_val=\"oops\" y_val=\"0\" z_val=\"0\"/></graph>");
    ASSERT_EQ(window->open_graph_file(path("part.xyz")), "");
    EXPECT_EQ(window->marks_step_x, 1);
    EXPECT_EQ(window->zoom_step_x, 2);
    Datafield expected;
    expected.load_points({});
    expected.set_shift_marks_x(1);
    expected.set_shift_scale_x(2);
    ASSERT_EQ(field().marks_x.size(), expected.marks_x.size());
    for (std::size_t i = 0; i < expected.marks_x.size(); ++i)
        EXPECT_EQ(field().marks_x[i].position, expected.marks_x[i].position) << i;
}

TEST_F(FileCommands, StartFileOpensOrIsReportedAndTheWindowStays) {
    change_everything();
    ASSERT_EQ(window->save_graph_file(path("start.xyz")), "");
    window.reset();
    SetUp();
    EXPECT_GE(redraws([&] { window->open_start_file(path("start.xyz")); }), 1);
    EXPECT_EQ(field().point_count, 5);
    EXPECT_EQ(window->marks_step_x, 1);

    window.reset();
    SetUp();
    message_seen seen;
    answer_message_box(&seen);
    EXPECT_EQ(redraws([&] { window->open_start_file(path("missing.xyz")); }), 0);
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.text.endsWith('.'));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(field().point_count, 0);
}

TEST_F(FileCommands, SnapshotIsTheViewAtItsSizeInDevicePixels) {
    QString title;
    answer_file_dialog(path("shot"), &title);
    click("shoot_btn");
    EXPECT_EQ(title, "Snapshot Save");
    QImage image(path("shot.png"));
    ASSERT_FALSE(image.isNull());
    const pixel_size size = window->space_panel->device_size();
    const qreal ratio = window->space_panel->devicePixelRatioF();
    EXPECT_EQ(size.width, qRound(window->space_panel->width() * ratio));
    EXPECT_EQ(image.width(), size.width);
    EXPECT_EQ(image.height(), size.height);
    // The white background of the frame, not the id picture's.
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::white));

    window->resize(700, 500);
    QTest::qWait(50);
    ASSERT_EQ(window->save_snapshot(path("small.png")), "");
    const pixel_size smaller = window->space_panel->device_size();
    EXPECT_EQ(QImage(path("small.png")).size(), QSize(smaller.width, smaller.height));
    EXPECT_NE(smaller, size);

    // Cancelling writes nothing.
    answer_file_dialog("");
    EXPECT_EQ(redraws([&] { find<QAction>("MakeSnapshoot1")->trigger(); }), 0);
}

TEST_F(FileCommands, TheViewShowsWhatTheSnapshotSaves) {
    // Smoothed lines leave alpha below 1 in the frame; an opaque widget whose
    // picture kept it would show other colours than the snapshot.
    field().load_points({{-1, -1, 0}, {1, -1, 1}, {0, 1, -1}, {0.2, 0.1, 0.5}});
    click("graph_poligones_btn");
    ASSERT_EQ(window->save_snapshot(path("frame.png")), "");
    const QImage saved = QImage(path("frame.png")).convertToFormat(QImage::Format_RGB32);
    const QImage shown =
        window->space_panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), saved.size());
    int differing = 0;
    for (int y = 0; y < saved.height(); ++y)
        for (int x = 0; x < saved.width(); ++x)
            differing += shown.pixel(x, y) != saved.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(FileCommands, SnapshotAtScaleDrawsTheViewLargerAndRefusesAHugeOne) {
    field().load_points({{-1, -1, 0}, {1, -1, 1}, {0, 1, -1}, {0.2, 0.1, 0.5}});
    ASSERT_EQ(window->save_snapshot(path("one.png")), "");
    // The scale asked for first, then the file.
    when_modal<QDialog>([](QDialog* dialog) {
        if (dialog->objectName() != "snapshot_scale_dialog") return dialog->reject();
        auto* input = qobject_cast<QInputDialog*>(dialog);
        input->setDoubleValue(2.5);
        dialog->accept();
    });
    answer_file_dialog(path("big.png"));
    find<QAction>("MakeScaledSnapshot1")->trigger();
    const QImage one(path("one.png")), big(path("big.png"));
    ASSERT_FALSE(big.isNull());
    EXPECT_EQ(big.size(), QSize(qRound(one.width() * 2.5), qRound(one.height() * 2.5)));
    EXPECT_EQ(window->settings->read_setting("snapshot_scale"), "2.5");
    // The same picture, larger: as many dark pixels per pixel, near enough.
    auto dark_share = [](const QImage& image) {
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        return double(dark) / (image.width() * image.height());
    };
    EXPECT_GT(dark_share(big), dark_share(one) * 0.3);
    // The view is drawn as before afterwards.
    ASSERT_EQ(window->save_snapshot(path("after.png")), "");
    EXPECT_EQ(QImage(path("after.png")).size(), one.size());

    const QString error = window->save_snapshot(path("huge.png"), 1000);
    EXPECT_TRUE(error.contains("is larger than this OpenGL draws")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path("huge.png")));
}

TEST_F(FileCommands, AFailedSnapshotSaysWhyAndKeepsTheOldFile) {
    EXPECT_FALSE(window->save_snapshot(path("no/such/folder/shot.png")).isEmpty());
    // A folder in the file's place cannot be replaced: the error names it and
    // the folder stays as it was.
    ASSERT_TRUE(QDir().mkpath(path("taken.png/inside")));
    EXPECT_FALSE(window->save_snapshot(path("taken.png")).isEmpty());
    EXPECT_TRUE(QDir(path("taken.png/inside")).exists());
}

} // namespace
} // namespace tessaline::test
