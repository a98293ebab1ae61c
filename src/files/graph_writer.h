// Writes graph files: the graph and its whole view as one XML document, reals
// in the general form with the user's decimal separator.
#pragma once

#include "files/graph_document.h"
#include "graph/number_text.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaline {

struct save_result {
    std::string error; // empty when the file was saved
    bool ok() const { return error.empty(); }
};

// The text save_graph_file writes, or an empty text when the graph cannot be
// written so that it reads back (see graph_write_problem).
std::string graph_file_text(const graph_document& graph, std::string_view program_version,
                            char decimal_separator = locale_decimal_separator());

// Writes the file aside and renames it over path, so a failed save leaves the
// previous file as it was.
save_result save_graph_file(const std::filesystem::path& path, const graph_document& graph,
                            std::string_view program_version,
                            char decimal_separator = locale_decimal_separator());

// Why the graph could not be read back if written (a coordinate or camera
// value that is not finite, a face corner outside the points); empty if none.
std::string graph_write_problem(const graph_document& graph);

} // namespace tessaline
