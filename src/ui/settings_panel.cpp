// Handlers of the settings column, the graph-mode and point-size buttons and
// the Mode menu: each changes a counter or a control, passes it on to the
// data field or the scene, and redraws.
#include "main_window.h"

#include "color_button.h"

#include "view/space.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

namespace tessaline {

namespace {

void set_shift_marks(Datafield& field, int axis, std::int32_t step) {
    if (axis == 0) field.set_shift_marks_x(step);
    if (axis == 1) field.set_shift_marks_y(step);
    if (axis == 2) field.set_shift_marks_z(step);
}

void set_shift_scale(Datafield& field, int axis, std::int32_t step) {
    if (axis == 0) field.set_shift_scale_x(step);
    if (axis == 1) field.set_shift_scale_y(step);
    if (axis == 2) field.set_shift_scale_z(step);
}

// Runs an apply operation and redraws when a radio button becomes selected; a
// click on the one already selected emits nothing.
void on_selected(TFMain* window, QRadioButton* button, void (TFMain::*apply)()) {
    QObject::connect(button, &QRadioButton::toggled, window, [window, apply](bool checked) {
        if (!checked) return;
        (window->*apply)();
        window->redraw();
    });
}

} // namespace

void TFMain::connect_settings_column() {
    for (int axis = 0; axis < 3; ++axis) {
        axis_controls& c = axes[axis];
        for (QRadioButton* b : {c.t_shift_false_rb, c.t_shift_true_rb})
            on_selected(this, b, &TFMain::apply_t_shift);
        for (QRadioButton* b : {c.t_turn_false_rb, c.t_turn_true_rb})
            on_selected(this, b, &TFMain::apply_t_turn);
        for (QRadioButton* b : {c.t_inv_false_rb, c.t_inv_true_rb})
            on_selected(this, b, &TFMain::apply_t_inv);
        for (QRadioButton* b : {c.t_overturn_false_rb, c.t_overturn_true_rb})
            on_selected(this, b, &TFMain::apply_t_overturn);
        connect(c.shift_marks_minus_btn, &QToolButton::clicked, this,
                [this, axis] { shift_marks_btnClick(axis, -1); });
        connect(c.shift_marks_plus_btn, &QToolButton::clicked, this,
                [this, axis] { shift_marks_btnClick(axis, 1); });
        connect(c.shift_marks_reset_btn, &QToolButton::clicked, this,
                [this, axis] { shift_marks_reset_btnClick(axis); });
        connect(c.scale_minus_btn, &QToolButton::clicked, this,
                [this, axis] { scale_btnClick(axis, -1); });
        connect(c.scale_plus_btn, &QToolButton::clicked, this,
                [this, axis] { scale_btnClick(axis, 1); });
        connect(c.scale_reset_btn, &QToolButton::clicked, this,
                [this, axis] { scale_reset_btnClick(axis); });
        // Also when the program sets a different text (a graph file, an
        // import). A caption set anew stands at zoom 1; it goes back to its
        // axis' zoom at once rather than at the next interval or zoom click.
        for (QLineEdit* edit : {c.range_min_ed, c.range_max_ed})
            connect(edit, &QLineEdit::editingFinished, this, [this, axis] { range_edClick(axis); });
        connect(c.caption_ed, &QLineEdit::textChanged, this, [this] {
            apply_axis_captions();
            place_marks();
            redraw();
        });
    }
    connect(font_zoom_minus_btn, &QToolButton::clicked, this, [this] { font_zoom_btnClick(-1); });
    connect(font_zoom_plus_btn, &QToolButton::clicked, this, [this] { font_zoom_btnClick(1); });
    connect(font_zoom_reset_btn, &QToolButton::clicked, this, &TFMain::font_zoom_reset_btnClick);
    connect(font_color_btn, &color_button::color_changed, this, [this] {
        apply_font_color();
        redraw();
    });
}

void TFMain::shift_marks_btnClick(int axis, int change) {
    std::int32_t& step = marks_step(axis);
    step = capped_marks_step(step + change);
    set_shift_marks(*datafield, axis, step);
    // Rebuilt marks stand at zoom 1; the axis' zoom comes back on them.
    set_shift_scale(*datafield, axis, zoom_step(axis));
    redraw();
}

void TFMain::shift_marks_reset_btnClick(int axis) {
    marks_step(axis) = 0;
    set_shift_marks(*datafield, axis, 0);
    set_shift_scale(*datafield, axis, zoom_step(axis));
    redraw();
}

void TFMain::scale_btnClick(int axis, int change) {
    std::int32_t& step = zoom_step(axis);
    step = capped_zoom_step(step + change);
    apply_axis_zoom();
    set_shift_scale(*datafield, axis, step);
    redraw();
}

void TFMain::scale_reset_btnClick(int axis) {
    zoom_step(axis) = 0;
    apply_axis_zoom();
    set_shift_scale(*datafield, axis, 0);
    redraw();
}

void TFMain::font_zoom_btnClick(int change) {
    font_zoom_step = capped_font_zoom_step(font_zoom_step + change);
    if (space* s = scene()) s->set_font_zoom(font_zoom_step);
    redraw();
}

void TFMain::font_zoom_reset_btnClick() {
    font_zoom_step = 0;
    if (space* s = scene()) s->set_font_zoom(0);
    redraw();
}

void TFMain::graph_poligones_btnClick() {
    apply_graph_mode();
    redraw();
}

void TFMain::graph_lines_btnClick() {
    apply_graph_mode();
    redraw();
}

void TFMain::graph_points_btnClick() {
    apply_graph_mode();
    apply_point_size_enabling();
    // The selected point's label belongs to the points layer.
    if (space* s = scene()) s->select_point(-1);
    redraw();
}

void TFMain::point_size_btnClick(int change) {
    point_size = capped_point_size(std::int64_t{point_size} + change);
    if (space* s = scene()) s->set_point_size(point_size);
    redraw();
}

void TFMain::point_size_reset_btnClick() {
    point_size = start_point_size;
    if (space* s = scene()) s->set_point_size(point_size);
    redraw();
}

// The Mode menu can only switch a layer on. It leaves the point-size buttons
// and the selection alone, and the view shows the change at its next frame.
void TFMain::Points1Click() {
    graph_points_btn->setChecked(true);
    apply_graph_mode();
}

void TFMain::Lines1Click() {
    graph_lines_btn->setChecked(true);
    apply_graph_mode();
}

void TFMain::Pligones1Click() {
    graph_poligones_btn->setChecked(true);
    apply_graph_mode();
}

} // namespace tessaline
