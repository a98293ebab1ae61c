// The sub-commands of tessaline-cli. Each takes the arguments after its name,
// prints its result on standard output and its errors on standard error, and
// returns the exit status (cli_output.h).
#pragma once

#include "files/graph_document.h"
#include "files/graph_reader.h"
#include "graph/declaration.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline {

// Pictures are drawn at the size of the desktop window's first view.
inline constexpr int default_picture_width = 815;
inline constexpr int default_picture_height = 682;

int convert_command(const std::vector<std::string>& args);
int info_command(const std::vector<std::string>& args);
int sheets_command(const std::vector<std::string>& args);
int export_command(const std::vector<std::string>& args);

// Builds the faces of the points and saves them with the view of a fresh
// start; prints points read, rows skipped and faces built. No point read is
// an error that leaves the output alone.
int save_fresh_graph(const data_points_& points, const axis_values<std::string>& captions,
                     std::int64_t rows_skipped, const std::string& input, const std::string& output,
                     axis_scaling scaling);
// The plain form, in the scaling of a fresh start.
int save_fresh_graph(const data_points_& points, const axis_values<std::string>& captions,
                     std::int64_t rows_skipped, const std::string& input,
                     const std::string& output);

// The reader's error, with the way to a graph file when the file is a table
// or a workbook.
void print_unreadable(const graph_read& read);

// A workbook (.xlsx, .xls, .ods) goes through the desktop program's import.
bool is_workbook_path(const std::string& path);
int convert_workbook_command(const std::vector<std::string>& args, axis_scaling scaling);

// Points of a table or a workbook with the captions its header or title row gives.
struct table_points {
    data_points_ points;
    axis_values<std::string> captions{"X", "Y", "Z"};
    std::int64_t rows_skipped = 0;
};
// The options that pick a workbook's sheet, columns and rows; each takes a value.
bool is_workbook_option(const std::string& arg);
// Reads the workbook's points by the picks (option, value, ...) as convert
// does; the exit status, with the error printed when it is not exit_done.
int read_workbook_points(const std::string& input, const std::vector<std::string>& picks,
                         const std::string& command, table_points& out);

// The graph file of a fresh start over the points: faces built in `scaling`,
// the camera far enough back to show the whole graph at the default angles.
graph_document fresh_graph(const data_points_& points, const axis_values<std::string>& captions,
                           axis_scaling scaling);

} // namespace tessaline
