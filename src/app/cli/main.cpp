// tessaline-cli: the headless tool. Dispatches to one sub-command by name.
#include "base/memory_error.h"
#include "base/version.h"
#include "base/work_stopped.h"
#include "cli_output.h"
#include "commands.h"
#include "interrupt.h"
#include "render_command.h"

#include <clocale>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tessaline;

struct command {
    std::string_view name;
    std::string_view arguments;
    std::string_view help; // first line: the summary in the command list
    int (*run)(const std::vector<std::string>& args);
};

// A new sub-command is one more row here and one more source file.
constexpr command commands[] = {
    {"convert",
     "INPUT.csv -o OUT.xyz [--fit]\n"
     "       tessaline-cli convert BOOK.(xlsx|xls|ods) --sheet N|NAME --x COL --y COL --z COL\n"
     "                            [--first-row R] [--title-row T] [--fit] -o OUT.xyz",
     "Makes a graph file from the X, Y and Z columns of a table or a workbook.\n"
     "A CSV or TSV table: the first three columns are read; the separator (tab,\n"
     "\";\", \",\" or blanks) is the one that parts the first rows into the most\n"
     "numbers, and the first row is the header giving the captions when it holds\n"
     "no numbers. A workbook: the sheet (number from 1 or\n"
     "name), the columns (letters) and rows (numbers from 1) are chosen as in the\n"
     "import window; the first data row defaults to the row after the title row,\n"
     "or 1, and the title row gives the captions. Rows that do not convert are\n"
     "skipped. The graph is saved with the view of a fresh start, framed to show\n"
     "the whole graph, and the points read, rows skipped and faces built are\n"
     "printed. With --fit the graph is\n"
     "scaled to fit its data (each axis' range fills the box) and its faces are\n"
     "built in that scaling.",
     convert_command},
    {"sheets", "BOOK.(xlsx|xls|ods)",
     "Lists a workbook's sheets, one per line: NAME USED_ROWS USED_COLUMNS.", sheets_command},
    {"info", "FILE.xyz [--marks]",
     "Shows what a graph file holds: points, faces, bounds and view settings.\n"
     "With --marks, also each axis' marks as the view labels them, one per line:\n"
     "AXIS TEXT POSITION, the caption first.",
     info_command},
    {"render",
     "GRAPH.xyz|TABLE.csv -o OUT.png [--size WxH] [--scale F] [--fit|--classic]\n"
     "                            [--view top|front|side|default] [--ortho]\n"
     "                            [--range-x MIN:MAX] [--range-y ..] [--range-z ..]\n"
     "                            [--colormap NAME|off] [--colorbar on|off] [--smooth]\n"
     "       tessaline-cli render BOOK.(xlsx|xls|ods) --sheet N|NAME --x COL --y COL --z COL\n"
     "                            [--first-row R] [--title-row T] -o OUT.png [options above]",
     "Draws a graph file's whole view and saves it as a PNG picture.\n"
     "The camera, graph modes, label flags and colour, zoom steps, captions, point\n"
     "size and selection are those stored in the file; the picture is what the\n"
     "desktop view of that size shows (default 815x682). Needs no display.\n"
     "For this picture only: --fit or --classic sets the scaling (and frames the\n"
     "graph anew), --view turns the camera to a fixed view and frames the graph,\n"
     "--ortho draws in parallel projection, --range-x/y/z limit an axis to MIN:MAX\n"
     "(either may be empty: the data's own bound), leaving out the points and\n"
     "faces beyond, --colormap colours the graph by Z (viridis, cividis,\n"
     "diverging, grey) or not (off), --colorbar shows or hides the colour bar,\n"
     "--smooth shades the faces smoothly. --scale F multiplies the picture's size\n"
     "(and the dots) by F, up to 16384 pixels a side: --scale 4 for print.\n"
     "A table or workbook is read as convert reads it and drawn as a fresh import\n"
     "shows it, framed on the whole graph.",
     render_command},
    {"export",
     "GRAPH.xyz -o MESH.(ply|obj|stl|glb) [--format ply|obj|stl|glb] [--colormap NAME|off]",
     "Writes a graph file's mesh for other 3-D programs.\n"
     "The points with their data values and the faces, in the format the output's\n"
     "extension names (or --format): PLY (binary, coordinates as doubles), OBJ\n"
     "(text, exact values), STL (binary, triangles only) or glTF 2.0 binary (.glb).\n"
     "STL and glTF hold 32-bit floats. Faces are written counter-clockwise seen\n"
     "from above. A graph without faces gives points alone (not in STL). Where\n"
     "the file colours its graph by Z (or --colormap names a map), each point\n"
     "carries its colour (not in STL, which has none).",
     export_command},
};

void print_usage(std::ostream& out) {
    out << "usage: tessaline-cli COMMAND [ARGUMENTS]\n"
           "       tessaline-cli --help | --version\n\n"
           "Commands:\n";
    for (const command& c : commands) {
        const std::string_view summary = c.help.substr(0, c.help.find('\n'));
        out << "  " << c.name << std::string(c.name.size() < 10 ? 10 - c.name.size() : 1, ' ')
            << summary << '\n';
    }
    out << "\nRun \"tessaline-cli COMMAND --help\" for a command's arguments.\n";
}

bool asks_for_help(std::span<const std::string> args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    watch_interrupts();
    // Graph files take the user's decimal separator, as the desktop program writes them.
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        print_usage(std::cerr);
        return exit_usage;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        print_usage(std::cout);
        return exit_done;
    }
    if (first == "--version") {
        std::cout << "tessaline-cli " << program_version << '\n';
        return exit_done;
    }
    for (const command& c : commands) {
        if (c.name != first) continue;
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (asks_for_help(rest)) {
            std::cout << "usage: tessaline-cli " << c.name << ' ' << c.arguments << "\n\n"
                      << c.help << '\n';
            return exit_done;
        }
        // The edge of every command: nothing escapes as an abort, and memory
        // running out is said in words.
        try {
            return c.run(rest);
        } catch (const work_stopped&) {
            print_error(std::string(c.name) + ": stopped.");
            return exit_stopped;
        } catch (...) {
            print_error(std::string(c.name) + ": " + current_error_text() + ".");
            return exit_failed;
        }
    }
    print_error("unknown command \"" + first + "\"");
    print_usage(std::cerr);
    return exit_usage;
}
