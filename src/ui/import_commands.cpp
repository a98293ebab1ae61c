// The import command of the tool bar and the File menu: the notice, the
// import window, and the imported graph taken into the view.
#include "main_window.h"

#include "error_report.h"
#include "import_window.h"
#include "spreadsheet_notice.h"

#include "settings/chemistry.h"
#include "view/opengl_screen.h"

#include <QLineEdit>

namespace tessaline {

void TFMain::show_spreadsheet_notice() {
    const QString tip = settings->read_setting(QStringLiteral("excel_tip"));
    if (!tip.isEmpty() && tip != QLatin1String("0")) return;
    TFNeedexcel notice(*settings, product_name, this);
    notice.exec();
}

void TFMain::import_command() {
    show_spreadsheet_notice();
    TFFiles files(*this);
    files.exec();
    if (!files.failure.isEmpty()) {
        report_error(this, files.failure);
        return;
    }
    redraw();
}

void TFMain::excel_xyz_btnClick() {
    import_command();
}

void TFMain::DataImport1Click() {
    import_command();
}

void TFMain::replace_graph(Datafield&& built) {
    // The view keeps what it built from the old graph until the revision
    // moves on; the new one was counted from zero.
    const std::uint64_t revision = datafield->revision;
    *datafield = std::move(built);
    datafield->revision = revision + 1;
}

void TFMain::show_imported_graph(Datafield&& built,
                                 const std::optional<std::array<std::string, 3>>& captions) {
    replace_graph(std::move(built));
    if (space* s = scene()) s->select_point(-1);
    // The window's interval steps still stand; the new marks take them.
    datafield->set_shift_marks_x(marks_step_x);
    datafield->set_shift_marks_y(marks_step_y);
    datafield->set_shift_marks_z(marks_step_z);
    if (captions)
        for (int axis = 0; axis < 3; ++axis)
            axes[axis].caption_ed->setText(QString::fromStdString((*captions)[axis]));
    // Without a title row the edits keep their texts, and the graph shows
    // them rather than the "X", "Y", "Z" of a fresh load.
    apply_axis_captions();
    place_marks();
    show_scaling(datafield->scaling);
    show_limits();
    show_new_graph_colours();
    if (screen) screen->frame_view();
}

} // namespace tessaline
