#include "main_window.h"

#include "application.h"
#include "color_button.h"
#include "error_report.h"
#include "product.h"
#include "settings/chemistry.h"
#include "view_panel.h"

#include "graph/number_text.h"
#include "net/update_address.h"
#include "view/opengl_screen.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace tessaline {

std::int32_t capped_marks_step(std::int32_t step) {
    return std::clamp(step, min_marks_step, max_marks_step);
}
std::int32_t capped_zoom_step(std::int32_t step) {
    return std::clamp(step, -max_zoom_step, max_zoom_step);
}
std::int32_t capped_font_zoom_step(std::int32_t step) {
    return std::clamp(step, -max_font_zoom_step, max_font_zoom_step);
}
std::int32_t capped_point_size(std::int64_t size) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(size, min_point_size, max_point_size));
}

TFMain::TFMain(QWidget* parent) : QMainWindow(parent) {
    load_ui_resources();
    setObjectName(QStringLiteral("FMain"));
    product_name = product::name();
    company_name = product::company();
    setWindowTitle(product_name);
    site_address = tessaline::site_address();
    update_path = QStringLiteral("/version_check.php?id=2");
    download_address = site_address + QStringLiteral("/content/download/2/");
    program_version = product::version();
    // The check reads its request values on this thread once events run,
    // by which time the settings store below exists.
    start_update_check();
    settings = std::make_unique<chemistry>(company_name, program_version, product_name);
    // Empty until the first load: no marks, so the first frame shows the
    // three axes with their arrow heads and nothing else.
    datafield = std::make_unique<Datafield>();

    build_settings_column();
    build_tool_bars();
    build_menus();
    show_scaling(new_graph_scaling());
    show_new_graph_colours();
    build_dialogs();
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);
    connect_settings_column();
    connect_navigation();
    resize(1079, 798);
    setAcceptDrops(true);
    // The screen comes with the view's GL context, when the window is first
    // shown; it then receives the graph modes, the label colour and the rest.
    apply_point_size_enabling();
}

TFMain::~TFMain() {
    update_check.reset();
    settings.reset();
    drop_screen();
    datafield.reset();
}

void TFMain::create_screen() {
    screen = std::make_unique<TOpenGLScreen>(space_panel->gl_surface(), *datafield);
    // Point labels write numbers as graph files do, with the user's separator.
    screen->get_space().decimal_separator = locale_decimal_separator();
    screen_ready = true;
    if (MoveModeButton->isChecked()) screen->set_mode_move();
    if (ZoomModeButton->isChecked()) screen->set_mode_zoom();
    screen->orthographic = Orthographic1->isChecked();
    apply_all_to_scene();
}

void TFMain::drop_screen() {
    if (!screen) return;
    // The scene's display lists live in the view's context.
    space_panel->makeCurrent();
    screen.reset();
    space_panel->doneCurrent();
    screen_ready = false;
}

space* TFMain::scene() {
    return screen ? &screen->get_space() : nullptr;
}

void TFMain::apply_all_to_scene() {
    space* s = scene();
    if (!s) return;
    apply_axis_zoom();
    s->set_font_zoom(font_zoom_step);
    s->set_point_size(point_size);
    apply_t_shift();
    apply_t_turn();
    apply_t_inv();
    apply_t_overturn();
    apply_graph_mode();
    apply_font_color();
    apply_colours();
}

void TFMain::open_start_file(const QString& path) {
    if (!path.isEmpty() && !open_file(path)) return;
    redraw();
}

void TFMain::redraw() {
    ++redraw_requests;
    // Every change that a graph file keeps ends in a redraw.
    update_title();
    // The view paints the whole frame once for any number of requests before
    // the next paint.
    space_panel->update();
}

void TFMain::apply_t_shift() {
    if (space* s = scene())
        s->set_t_shift(axes[0].t_shift_true_rb->isChecked(), axes[1].t_shift_true_rb->isChecked(),
                       axes[2].t_shift_true_rb->isChecked());
}

void TFMain::apply_t_turn() {
    if (space* s = scene())
        s->set_t_turn(axes[0].t_turn_true_rb->isChecked(), axes[1].t_turn_true_rb->isChecked(),
                      axes[2].t_turn_true_rb->isChecked());
}

void TFMain::apply_t_inv() {
    if (space* s = scene())
        s->set_t_inv(axes[0].t_inv_true_rb->isChecked(), axes[1].t_inv_true_rb->isChecked(),
                     axes[2].t_inv_true_rb->isChecked());
}

void TFMain::apply_t_overturn() {
    if (space* s = scene())
        s->set_t_overturn(axes[0].t_overturn_true_rb->isChecked(),
                          axes[1].t_overturn_true_rb->isChecked(),
                          axes[2].t_overturn_true_rb->isChecked());
}

void TFMain::apply_graph_mode() {
    if (space* s = scene())
        s->set_graph_mode(graph_points_btn->isChecked(), graph_lines_btn->isChecked(),
                          graph_poligones_btn->isChecked());
}

void TFMain::apply_axis_captions() {
    datafield->set_captions(axes[0].caption_ed->text().toStdString(),
                            axes[1].caption_ed->text().toStdString(),
                            axes[2].caption_ed->text().toStdString());
}

void TFMain::apply_font_color() {
    if (space* s = scene()) s->set_font_color(color_to_rgb(font_color_btn->color_value()));
}

void TFMain::apply_axis_zoom() {
    if (space* s = scene()) s->set_axis_zoom(zoom_step_x, zoom_step_y, zoom_step_z);
}

void TFMain::apply_point_size_enabling() {
    const bool on = graph_points_btn->isChecked();
    point_size_minus_btn->setEnabled(on);
    point_size_plus_btn->setEnabled(on);
    point_size_reset_btn->setEnabled(on);
}

std::int32_t& TFMain::marks_step(int axis) {
    return axis == 0 ? marks_step_x : axis == 1 ? marks_step_y : marks_step_z;
}

std::int32_t& TFMain::zoom_step(int axis) {
    return axis == 0 ? zoom_step_x : axis == 1 ? zoom_step_y : zoom_step_z;
}

} // namespace tessaline
