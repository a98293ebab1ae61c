// File > Export: the graph's mesh for other 3-D programs, in the format the
// file's extension names, else the one of the dialog's chosen filter.
#include "main_window.h"

#include "busy_work.h"
#include "error_report.h"
#include "file_dialogs.h"

#include "base/memory_error.h"
#include "files/mesh_export.h"
#include "graph/colour_map.h"

#include <QFileDialog>

#include <array>

namespace tessaline {

namespace {

struct format_filter {
    mesh_format format;
    const char* filter;
};

constexpr std::array<format_filter, 4> export_filters = {{
    {mesh_format::ply, "PLY (*.ply)"},
    {mesh_format::obj, "Wavefront OBJ (*.obj)"},
    {mesh_format::stl, "STL (*.stl)"},
    {mesh_format::glb, "glTF binary (*.glb)"},
}};

mesh_format filter_format(const QString& filter) {
    for (const format_filter& f : export_filters)
        if (filter == QLatin1String(f.filter)) return f.format;
    return mesh_format::ply;
}

} // namespace

QFileDialog* TFMain::mesh_export_dialog() {
    if (export_dialog) return export_dialog;
    export_dialog = new QFileDialog(this, tr("Export Mesh"));
    export_dialog->setObjectName(QStringLiteral("mesh_export_dialog"));
    QStringList filters;
    for (const format_filter& f : export_filters)
        filters << QString::fromLatin1(f.filter);
    export_dialog->setNameFilters(filters);
    export_dialog->setAcceptMode(QFileDialog::AcceptSave);
    export_dialog->setFileMode(QFileDialog::AnyFile);
    export_dialog->setDefaultSuffix(QStringLiteral("ply"));
    // A name typed without extension gets the chosen format's.
    connect(export_dialog, &QFileDialog::filterSelected, export_dialog,
            [dialog = export_dialog](const QString& filter) {
                dialog->setDefaultSuffix(
                    QString::fromLatin1(mesh_format_extension(filter_format(filter)).data()));
            });
    return export_dialog;
}

QString TFMain::export_mesh_file(const QString& path, mesh_format format) {
    // The colours the view shows, where it colours by height.
    const std::vector<rgb_triple> colours = height_colours(*datafield, shown_colours());
    const mesh_data mesh{datafield->points, datafield->faces, colours};
    mesh_export_result result;
    try {
        busy_work work(this);
        // Cancelled: nothing was written, and nothing needs saying.
        if (!work.run(tr("Exporting the mesh..."), [&](const std::stop_token& stop) {
                result = export_mesh(std::filesystem::path(path.toStdString()), mesh, format, stop);
            }))
            return {};
    } catch (...) {
        return tr("Cannot export \"%1\": %2.")
            .arg(path, QString::fromStdString(current_error_text()));
    }
    return QString::fromStdString(result.error);
}

void TFMain::Export1Click() {
    QFileDialog* dialog = mesh_export_dialog();
    const QString path = choose_path(dialog);
    if (path.isEmpty()) return;
    const mesh_format format = mesh_format_of_path(path.toStdString())
                                   .value_or(filter_format(dialog->selectedNameFilter()));
    const QString error = export_mesh_file(path, format);
    if (!error.isEmpty()) report_error(this, error);
}

} // namespace tessaline
