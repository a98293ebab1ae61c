// Make Snapshot at Scale: the scale asked for (remembered in the settings
// store), then the file, then the view drawn that many times larger.
#include "main_window.h"

#include "error_report.h"
#include "view_panel.h"

#include "settings/chemistry.h"

#include <QInputDialog>

namespace tessaline {

namespace {

constexpr const char* snapshot_scale_key = "snapshot_scale";
constexpr double largest_snapshot_scale = 16;

} // namespace

double TFMain::ask_snapshot_scale() {
    bool known = false;
    double scale = settings->read_setting(QLatin1String(snapshot_scale_key)).toDouble(&known);
    if (!known || scale <= 0) scale = 4;
    const pixel_size view = space_panel->device_size();
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("snapshot_scale_dialog"));
    dialog.setWindowTitle(tr("Snapshot at Scale"));
    dialog.setLabelText(
        tr("Times the view's size (%1 x %2 pixels):").arg(view.width).arg(view.height));
    dialog.setInputMode(QInputDialog::DoubleInput);
    dialog.setDoubleRange(0.25, largest_snapshot_scale);
    dialog.setDoubleDecimals(2);
    dialog.setDoubleValue(scale);
    if (dialog.exec() != QDialog::Accepted) return 0;
    scale = dialog.doubleValue();
    settings->write_setting(QLatin1String(snapshot_scale_key), QString::number(scale));
    return scale;
}

void TFMain::MakeScaledSnapshot1Click() {
    const double scale = ask_snapshot_scale();
    if (scale <= 0) return;
    const QString path = choose_path(snapshot_save_dialog);
    if (path.isEmpty()) return;
    const QString error = save_snapshot(path, scale);
    if (!error.isEmpty()) report_error(this, error);
}

} // namespace tessaline
