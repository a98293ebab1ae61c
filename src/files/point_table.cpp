#include "point_table.h"

#include "table_text.h"
#include "value_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace tessaline {

point_table parse_point_table(std::string_view text) {
    point_table table;
    table.separator = table_separator(text);
    bool first = true;
    for_each_table_line(text, [&](std::string_view line, std::size_t) {
        if (is_blank_line(line)) return true;
        const std::vector<std::string> cells = table_cells(line, table.separator, 3);
        std::optional<double> x, y, z;
        if (cells.size() == 3) {
            x = parse_real(cells[0]);
            y = parse_real(cells[1]);
            z = parse_real(cells[2]);
        }
        if (x && y && z) {
            table.points.push_back({*x, *y, *z});
        } else if (first) {
            table.has_header = true;
            std::string* captions[] = {&table.captions.x, &table.captions.y, &table.captions.z};
            for (size_t i = 0; i < cells.size(); ++i)
                if (!cells[i].empty()) *captions[i] = cells[i];
        } else {
            ++table.rows_skipped;
        }
        first = false;
        return true;
    });
    return table;
}

point_table_read read_point_table(const std::filesystem::path& path) {
    point_table_read out;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        out.error = "Cannot open \"" + path.string() + "\": " + std::strerror(EISDIR) + ".";
        return out;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        out.error = "Cannot open \"" + path.string() + "\": " + std::strerror(errno) + ".";
        return out;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        out.error = "Cannot read \"" + path.string() + "\".";
        return out;
    }
    out.table = parse_point_table(content.str());
    return out;
}

} // namespace tessaline
