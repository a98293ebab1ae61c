// render: draws a graph file's whole view headless and saves it as PNG.
#pragma once

#include <string>
#include <vector>

namespace tessaline {

int render_command(const std::vector<std::string>& args);

} // namespace tessaline
