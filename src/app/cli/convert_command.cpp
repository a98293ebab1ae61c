// convert: a CSV or TSV table of X, Y, Z into a graph file with a fresh view.
#include "base/version.h"
#include "cli_output.h"
#include "commands.h"
#include "files/graph_writer.h"
#include "files/point_table.h"
#include "graph/datafield.h"
#include "interrupt.h"
#include "view/framing.h"

#include <algorithm>
#include <iostream>

namespace tessaline {

graph_document fresh_graph(const data_points_& points, const axis_values<std::string>& captions,
                           axis_scaling scaling) {
    Datafield field;
    // The faces are built in the scene units of the chosen scaling.
    field.scaling = scaling;
    field.load_points(points, interrupt_token());
    graph_document graph; // the view of a fresh start
    graph.points = points;
    graph.faces = std::move(field.faces);
    graph.captions = captions;
    graph.scaling = scaling;
    // As an import in the desktop program: the camera stands back far enough
    // to show the whole graph at the default angles.
    graph.camera.radius = framing_radius(
        {default_view, 1, 1, 1, 15,
         static_cast<double>(default_picture_width) / default_picture_height, false});
    return graph;
}

int save_fresh_graph(const data_points_& points, const axis_values<std::string>& captions,
                     std::int64_t rows_skipped, const std::string& input,
                     const std::string& output) {
    return save_fresh_graph(points, captions, rows_skipped, input, output, axis_scaling::classic);
}

int save_fresh_graph(const data_points_& points, const axis_values<std::string>& captions,
                     std::int64_t rows_skipped, const std::string& input, const std::string& output,
                     axis_scaling scaling) {
    // An empty graph over the target would cost the user a file for nothing.
    if (points.empty()) {
        print_error("no point read from \"" + input + "\": no row holds three numbers (" +
                    std::to_string(rows_skipped) + " rows skipped); \"" + output +
                    "\" is left as it was.");
        return exit_failed;
    }
    const graph_document graph = fresh_graph(points, captions, scaling);
    const save_result saved = save_graph_file(output, graph, program_version);
    if (!saved.ok()) {
        print_error(saved.error);
        return exit_failed;
    }
    std::cout << "points read: " << points.size() << '\n'
              << "rows skipped: " << rows_skipped << '\n'
              << "faces built: " << graph.faces.size() << '\n';
    return exit_done;
}

int convert_command(const std::vector<std::string>& given) {
    std::vector<std::string> args;
    axis_scaling scaling = axis_scaling::classic;
    for (const std::string& a : given) {
        if (a == "--fit")
            scaling = axis_scaling::fit;
        else
            args.push_back(a);
    }
    const bool workbook = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a == "--sheet" || (!a.empty() && a[0] != '-' && is_workbook_path(a));
    });
    if (workbook) return convert_workbook_command(args, scaling);
    std::string input, output;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 == args.size()) return usage_error("convert", a + " needs a file name");
            output = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("convert", "unknown option " + a);
        } else if (input.empty()) {
            input = a;
        } else {
            return usage_error("convert", "more than one input file");
        }
    }
    if (input.empty()) return usage_error("convert", "no input file");
    if (output.empty()) return usage_error("convert", "no output file (-o OUT.xyz)");

    const point_table_read read = read_point_table(input);
    if (!read.ok()) {
        print_error(read.error);
        return exit_failed;
    }
    return save_fresh_graph(read.table.points, read.table.captions, read.table.rows_skipped, input,
                            output, scaling);
}

} // namespace tessaline
