// "Start Import": the chosen columns read into points, the graph built over
// them, then handed to the main window, which shows it with the captions of
// the title row. Reading and building run off the window's thread.
#include "import_window.h"

#include "busy_work.h"
#include "main_window.h"

#include "import/clc.h"
#include "import/run_import.h"
#include "import/xls.h"

#include <QFileInfo>
#include <QStatusBar>

namespace tessaline {

bool TFFiles::run_import() {
    const import_choice choice{.sheet = chosen_sheet,
                               .data_begin_row = data_begin_row,
                               .title_row = title_row,
                               .x_column = x_column,
                               .y_column = y_column,
                               .z_column = z_column};

    import_result result;
    {
        const reader_busy_scope busy_reader(*this);
        busy_work busy(this);
        const bool read = busy.run(tr("Reading rows..."), [&](const std::stop_token& stop) {
            if (source_kind == 1 && clc_reader)
                result = tessaline::run_import(*clc_reader, book_index, choice, stop);
            else if (source_kind == 0 && xls_reader)
                result = tessaline::run_import(*xls_reader, book_index, choice, stop);
        });
        // Stopped: the window stays with its picks, the graph as it was.
        if (!read) return false;
        // An empty graph in place of the shown one would cost the user it
        // for a wrong pick: the window stays for another.
        if (result.points.empty()) {
            show_note(tr("No row of the chosen columns holds three numbers"), main_.product_name);
            return false;
        }
        // Cancel keeps the picks in the window and the graph as it was.
        if (!main_.confirm_unsaved_changes(this)) return false;
        auto built = std::make_unique<Datafield>();
        built->scaling = main_.new_graph_scaling();
        const bool built_all =
            busy.run(tr("Building the graph of %L1 points...").arg(result.points.size()),
                     [&](const std::stop_token& stop) { built->load_points(result.points, stop); });
        if (!built_all) return false;
        main_.imported_points = std::move(result.points);
        main_.show_imported_graph(std::move(*built), result.captions);
    }
    main_.set_imported(chosen_path);
    main_.StatusBar1->showMessage(tr("Imported %L1 points from %2; %L3 rows skipped")
                                      .arg(main_.imported_points.size())
                                      .arg(QFileInfo(chosen_path).fileName())
                                      .arg(result.rows_skipped));
    return true;
}

} // namespace tessaline
