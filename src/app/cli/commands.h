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

} // namespace tessaline
