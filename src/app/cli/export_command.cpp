// export: a graph file's mesh (points in data units, faces) as PLY, OBJ, STL
// or glTF binary, for other 3-D programs, with the colours of the colour map
// the file keeps (or --colormap names).
#include "cli_output.h"
#include "commands.h"
#include "files/graph_apply.h"
#include "files/graph_reader.h"
#include "files/mesh_export.h"
#include "graph/colour_map.h"
#include "graph/datafield.h"
#include "interrupt.h"

#include <iostream>
#include <optional>

namespace tessaline {

int export_command(const std::vector<std::string>& args) {
    std::string input, output, format_name;
    std::optional<colour_map> colours;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--colormap") {
            if (i + 1 == args.size() || !(colours = colour_map_named(args[++i])))
                return usage_error("export",
                                   "--colormap needs viridis, cividis, diverging, grey or off");
        } else if (a == "-o" || a == "--format") {
            if (i + 1 == args.size()) return usage_error("export", a + " needs a value");
            (a == "-o" ? output : format_name) = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("export", "unknown option " + a);
        } else if (input.empty()) {
            input = a;
        } else {
            return usage_error("export", "more than one graph file");
        }
    }
    if (input.empty()) return usage_error("export", "no graph file");
    if (output.empty()) return usage_error("export", "no output file (-o MESH.ply|obj|stl|glb)");
    const std::optional<mesh_format> format =
        format_name.empty() ? mesh_format_of_path(output) : mesh_format_named(format_name);
    if (!format)
        return usage_error("export",
                           format_name.empty()
                               ? "cannot tell the format of \"" + output +
                                     "\": name it .ply, .obj, .stl or .glb, or "
                                     "give --format"
                               : "unknown format \"" + format_name + "\" (ply, obj, stl or glb)");

    const graph_read read = read_graph_file(input, interrupt_token());
    if (!read.ok()) {
        print_unreadable(read);
        return exit_failed;
    }
    if (!read.graph_loaded) {
        print_error("the graph data cannot be used: " + read.graph_error + ".");
        return exit_failed;
    }
    const graph_document& d = read.document;
    // The colours as the view shows them: over the graph's Z limits where set.
    std::vector<rgb_triple> point_colours;
    if (const colour_map map = colours.value_or(d.colours); map != colour_map::off) {
        Datafield field;
        take_scene_units(field, d);
        field.load_graph(d.points, d.faces);
        point_colours = height_colours(field, map);
    }
    const mesh_export_result written =
        export_mesh(output, {d.points, d.faces, point_colours}, *format, interrupt_token());
    if (!written.ok()) {
        print_error(written.error);
        return exit_failed;
    }
    std::cout << "points written: " << d.points.size() << '\n'
              << "faces written: " << d.faces.size() << '\n';
    return exit_done;
}

} // namespace tessaline
