// Between the window and graph files: the window's state as a graph document
// for the writer, and what the reader read put back into the data field, the
// screen, the scene and the controls, in the reader's order and only as far
// as it read.
#include "main_window.h"

#include "busy_work.h"
#include "color_button.h"

#include "base/memory_error.h"
#include "files/graph_apply.h"
#include "files/graph_reader.h"
#include "files/graph_writer.h"
#include "view/opengl_screen.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include <new>

namespace tessaline {

namespace {

std::filesystem::path file_path(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// Selects the on or the off button; the newly selected one applies its row.
void select_pair(QRadioButton* off, QRadioButton* on, bool value) {
    (value ? on : off)->setChecked(true);
}

} // namespace

graph_document TFMain::view_document() const {
    graph_document d;
    if (screen) {
        d.camera = {screen->alpha, screen->betta, screen->radius, screen->move_a, screen->move_b};
        d.selected_point_id = screen->get_space().selected_point_id;
    }
    d.marks_step = {marks_step_x, marks_step_y, marks_step_z};
    d.zoom_step = {zoom_step_x, zoom_step_y, zoom_step_z};
    d.captions = {axes[0].caption_ed->text().toStdString(),
                  axes[1].caption_ed->text().toStdString(),
                  axes[2].caption_ed->text().toStdString()};
    d.font_zoom_step = font_zoom_step;
    d.font_color = static_cast<std::int32_t>(font_color_btn->color_value());
    d.point_size = point_size;
    auto flags = [this](QRadioButton* axis_controls::*on) {
        return axis_values<bool>{(axes[0].*on)->isChecked(), (axes[1].*on)->isChecked(),
                                 (axes[2].*on)->isChecked()};
    };
    d.t_shift = flags(&axis_controls::t_shift_true_rb);
    d.t_turn = flags(&axis_controls::t_turn_true_rb);
    d.t_inv = flags(&axis_controls::t_inv_true_rb);
    d.t_overturn = flags(&axis_controls::t_overturn_true_rb);
    d.modes = {graph_points_btn->isChecked(), graph_lines_btn->isChecked(),
               graph_poligones_btn->isChecked()};
    d.scaling = datafield->scaling;
    d.limits = {datafield->limits_x, datafield->limits_y, datafield->limits_z};
    d.orthographic = screen && screen->orthographic;
    d.colours = shown_colours();
    d.colour_bar = ColourBar1->isChecked();
    d.smooth_shading = SmoothShading1->isChecked();
    return d;
}

QString TFMain::save_graph_file(const QString& path) {
    graph_document d = view_document();
    d.points = datafield->points;
    d.faces = datafield->faces;
    const save_result result =
        tessaline::save_graph_file(file_path(path), d, program_version.toStdString());
    if (!result.ok()) return QString::fromStdString(result.error);
    // The file now holds the window's state: no change is left unsaved.
    set_document(path);
    return {};
}

QString TFMain::open_graph_file(const QString& path, bool* opened) {
    if (opened) *opened = false;
    const std::optional<graph_read> read = read_graph(path);
    // Stopped by the user: the window stays as it was, without a word.
    if (!read) return {};
    const QString error = show_graph_read(*read, path);
    if (opened) *opened = error.isEmpty() && read->ok();
    return error;
}

std::optional<graph_read> TFMain::read_graph(const QString& path) {
    graph_read read;
    busy_work busy(this, open_quiet_milliseconds);
    if (!busy.run(tr("Opening %1 ...").arg(path), [&](const std::stop_token& stop) {
            read = read_graph_file(file_path(path), stop);
        }))
        return std::nullopt;
    return read;
}

QString TFMain::show_graph_read(const graph_read& read, const QString& path) {
    if (read.status == graph_file_status::unreadable) {
        QString error = QString::fromStdString(read.error);
        if (read.table_or_workbook)
            error += tr(" A workbook comes in through File > Data Import (Ctrl+I); a text table "
                        "becomes a graph file with \"tessaline-cli convert TABLE -o GRAPH.xyz\".");
        return error;
    }
    // A well-formed file of another program is passed over without a word.
    if (read.status != graph_file_status::read) return {};
    if (read.graph_loaded) {
        // Built aside, so that running out of memory halfway keeps the graph
        // that is shown.
        Datafield loaded;
        take_scene_units(loaded, read.document);
        try {
            loaded.load_graph(read.document.points, read.document.faces);
        } catch (const std::bad_alloc&) {
            const std::uint64_t needed =
                read.document.points.size() * (sizeof(data_point) + sizeof(gl_point)) +
                read.document.faces.size() * (sizeof(triangle) + sizeof(vector_3d));
            return tr("Cannot open \"%1\": %2")
                .arg(path, QString::fromStdString(not_enough_memory("show its graph", needed)));
        }
        replace_graph(std::move(loaded));
        show_scaling(datafield->scaling);
        show_limits();
    }
    show_projection(read.document.orthographic);
    show_colours(read.document.colours, read.document.colour_bar, read.document.smooth_shading);
    apply_view_settings(read);
    // Rebuilt marks and newly set captions stand at zoom 1; wherever the
    // settings stopped, the marks get the zoom steps the window now holds.
    place_marks();
    set_document(path);
    return {};
}

void TFMain::place_marks() {
    datafield->set_shift_scale_x(zoom_step_x);
    datafield->set_shift_scale_y(zoom_step_y);
    datafield->set_shift_scale_z(zoom_step_z);
}

void TFMain::apply_view_settings(const graph_read& read) {
    const graph_document& d = read.document;
    space* s = scene();
    auto has = [&read](view_value v) { return read.has(v); };

    if (screen) {
        if (has(view_value::camera_alpha)) screen->alpha = d.camera.alpha;
        if (has(view_value::camera_betta)) screen->betta = d.camera.betta;
        if (has(view_value::camera_radius)) screen->radius = d.camera.radius;
        if (has(view_value::camera_move_a)) screen->move_a = d.camera.move_a;
        if (has(view_value::camera_move_b)) screen->move_b = d.camera.move_b;
    }
    if (!has(view_value::selected_point_id)) return;
    if (s) s->selected_point_id = d.selected_point_id;

    // Each step triple is taken whole, so that counters and marks agree.
    if (!has(view_value::marks_step_z)) return;
    marks_step_x = capped_marks_step(d.marks_step.x);
    marks_step_y = capped_marks_step(d.marks_step.y);
    marks_step_z = capped_marks_step(d.marks_step.z);
    if (has(view_value::zoom_step_z)) {
        zoom_step_x = capped_zoom_step(d.zoom_step.x);
        zoom_step_y = capped_zoom_step(d.zoom_step.y);
        zoom_step_z = capped_zoom_step(d.zoom_step.z);
        apply_axis_zoom();
    }
    datafield->set_shift_marks_x(marks_step_x);
    datafield->set_shift_marks_y(marks_step_y);
    datafield->set_shift_marks_z(marks_step_z);
    if (!has(view_value::zoom_step_z)) return;

    const std::string* captions[3] = {&d.captions.x, &d.captions.y, &d.captions.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (!read.has(static_cast<view_value>(static_cast<int>(view_value::caption_x) + axis)))
            return;
        axes[axis].caption_ed->setText(QString::fromStdString(*captions[axis]));
    }
    apply_axis_captions();

    if (!has(view_value::font_zoom_step)) return;
    font_zoom_step = capped_font_zoom_step(d.font_zoom_step);
    if (s) s->set_font_zoom(font_zoom_step);

    if (!has(view_value::font_color)) return;
    font_color_btn->set_color_value(static_cast<std::uint32_t>(d.font_color));
    apply_font_color();

    if (!has(view_value::point_size)) return;
    point_size = capped_point_size(d.point_size);
    if (s) s->set_point_size(point_size);

    struct flag_row {
        view_value first;
        const axis_values<bool>& values;
        QRadioButton* axis_controls::*off;
        QRadioButton* axis_controls::*on;
        void (TFMain::*apply)();
    };
    const flag_row rows[] = {
        {view_value::t_shift_x, d.t_shift, &axis_controls::t_shift_false_rb,
         &axis_controls::t_shift_true_rb, &TFMain::apply_t_shift},
        {view_value::t_turn_x, d.t_turn, &axis_controls::t_turn_false_rb,
         &axis_controls::t_turn_true_rb, &TFMain::apply_t_turn},
        {view_value::t_inv_x, d.t_inv, &axis_controls::t_inv_false_rb,
         &axis_controls::t_inv_true_rb, &TFMain::apply_t_inv},
        {view_value::t_overturn_x, d.t_overturn, &axis_controls::t_overturn_false_rb,
         &axis_controls::t_overturn_true_rb, &TFMain::apply_t_overturn},
    };
    for (const flag_row& row : rows) {
        // Flags read before a bad one stay selected (and applied by their
        // buttons' own handlers).
        const bool values[3] = {row.values.x, row.values.y, row.values.z};
        for (int axis = 0; axis < 3; ++axis) {
            if (!read.has(static_cast<view_value>(static_cast<int>(row.first) + axis))) return;
            select_pair(axes[axis].*row.off, axes[axis].*row.on, values[axis]);
        }
        (this->*row.apply)();
    }

    const bool modes[3] = {d.modes.mode_points, d.modes.mode_lines, d.modes.mode_poligones};
    QToolButton* buttons[3] = {graph_points_btn, graph_lines_btn, graph_poligones_btn};
    for (int i = 0; i < 3; ++i) {
        if (!read.has(static_cast<view_value>(static_cast<int>(view_value::mode_points) + i)))
            return;
        buttons[i]->setChecked(modes[i]);
    }
    apply_graph_mode();
    apply_point_size_enabling();
}

} // namespace tessaline
