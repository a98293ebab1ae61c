// The view commands beyond navigation: fit to data, the parallel projection
// and the fixed views.
#include "main_window.h"

#include "settings/chemistry.h"
#include "view/opengl_screen.h"

#include <QAction>
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

} // namespace tessaline
