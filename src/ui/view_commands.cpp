// The view commands beyond navigation: fit to data, the parallel projection
// and the fixed views.
#include "main_window.h"

#include "settings/chemistry.h"
#include "view/opengl_screen.h"

#include "files/value_text.h"
#include "graph/number_text.h"
#include "view/number_format.h"

#include <QAction>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>

namespace tessaline {

namespace {

// The settings store's key of the scaling new graphs get: "True" for fit.
const QString fit_key = QStringLiteral("fit_to_data");

} // namespace

axis_scaling TFMain::new_graph_scaling() const {
    return settings && settings->read_setting(fit_key) == QLatin1String("True")
               ? axis_scaling::fit
               : axis_scaling::classic;
}

void TFMain::show_scaling(axis_scaling mode) {
    const bool fit = mode == axis_scaling::fit;
    fit_btn->setChecked(fit);
    FitToData1->setChecked(fit);
    if (datafield->scaling == mode) return;
    datafield->set_scaling(mode);
    rebuild_marks();
}

void TFMain::rebuild_marks() {
    // Fresh start: no marks yet, and none appear before the first load.
    if (datafield->marks_x.empty()) return;
    datafield->set_shift_marks_x(marks_step_x);
    datafield->set_shift_marks_y(marks_step_y);
    datafield->set_shift_marks_z(marks_step_z);
    place_marks();
}

void TFMain::fit_btnClick() {
    const axis_scaling mode = fit_btn->isChecked() ? axis_scaling::fit : axis_scaling::classic;
    show_scaling(mode);
    settings->write_setting(fit_key, mode == axis_scaling::fit ? QStringLiteral("True")
                                                               : QStringLiteral("False"));
    // The data now fill another part of the box: frame them again.
    if (screen) screen->frame_view({screen->alpha, screen->betta});
    redraw();
}

void TFMain::FitToData1Click() {
    fit_btn->setChecked(FitToData1->isChecked());
    fit_btnClick();
}

void TFMain::show_projection(bool orthographic) {
    Orthographic1->setChecked(orthographic);
    if (screen) screen->orthographic = orthographic;
}

void TFMain::Orthographic1Click() {
    show_projection(Orthographic1->isChecked());
    redraw();
}

void TFMain::preset_view(view_angles angles) {
    if (screen) screen->frame_view(angles);
    redraw();
}

namespace {

axis_limits& limits_of(Datafield& field, int axis) {
    return axis == 0 ? field.limits_x : axis == 1 ? field.limits_y : field.limits_z;
}

QString limit_text(const std::optional<double>& value) {
    return value ? QString::fromStdString(format_number(*value, locale_decimal_separator()))
                 : QString();
}

} // namespace

void TFMain::show_limits() {
    for (int axis = 0; axis < 3; ++axis) {
        const axis_limits& l = limits_of(*datafield, axis);
        axes[axis].range_min_ed->setText(limit_text(l.min));
        axes[axis].range_max_ed->setText(limit_text(l.max));
    }
}

void TFMain::range_edClick(int axis) {
    axis_limits wanted;
    QLineEdit* edits[2] = {axes[axis].range_min_ed, axes[axis].range_max_ed};
    std::optional<double>* sides[2] = {&wanted.min, &wanted.max};
    for (int k = 0; k < 2; ++k) {
        const std::string text = edits[k]->text().trimmed().toStdString();
        if (text.empty()) continue;
        *sides[k] = parse_real(text);
        if (!*sides[k]) {
            StatusBar1->showMessage(
                tr("\"%1\" is not a number; the range stays as it was").arg(edits[k]->text()));
            show_limits();
            return;
        }
    }
    if (wanted.min && wanted.max && *wanted.min > *wanted.max) std::swap(wanted.min, wanted.max);
    if (wanted == limits_of(*datafield, axis)) {
        show_limits();
        return;
    }
    axis_limits limits[3] = {datafield->limits_x, datafield->limits_y, datafield->limits_z};
    limits[axis] = wanted;
    datafield->set_limits(limits[0], limits[1], limits[2]);
    show_limits();
    rebuild_marks();
    redraw();
}

} // namespace tessaline
