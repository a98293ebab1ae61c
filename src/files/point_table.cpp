#include "point_table.h"

#include "value_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace tessaline {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool is_space(char c) {
    return c == ' ' || c == '\t';
}

// The rest of a quoted cell from just after its opening quote; "" inside it
// stands for one quote. Returns the position after the closing quote.
size_t quoted_cell(std::string_view line, size_t i, std::string& cell) {
    for (; i < line.size(); ++i) {
        if (line[i] != '"') {
            cell += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
            cell += '"';
            ++i;
        } else {
            return i + 1;
        }
    }
    return i;
}

// Cells parted by runs of spaces and tabs, as plain data files lay them out.
std::vector<std::string> split_on_blanks(std::string_view line, size_t wanted) {
    std::vector<std::string> cells;
    size_t i = 0;
    while (cells.size() < wanted) {
        while (i < line.size() && is_space(line[i]))
            ++i;
        if (i == line.size()) break;
        std::string cell;
        if (line[i] == '"') {
            i = quoted_cell(line, i + 1, cell);
            while (i < line.size() && !is_space(line[i]))
                ++i;
        } else {
            const size_t start = i;
            while (i < line.size() && !is_space(line[i]))
                ++i;
            cell = line.substr(start, i - start);
        }
        cells.push_back(std::move(cell));
    }
    return cells;
}

// The first `wanted` cells of a line; a cell in double quotes may hold the
// separator, and "" inside it stands for one quote.
std::vector<std::string> split_cells(std::string_view line, char separator, size_t wanted) {
    if (separator == ' ') return split_on_blanks(line, wanted);
    std::vector<std::string> cells;
    size_t i = 0;
    while (cells.size() < wanted && i <= line.size()) {
        std::string cell;
        const size_t start = i;
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i < line.size() && line[i] == '"') {
            i = quoted_cell(line, i + 1, cell);
            while (i < line.size() && line[i] != separator)
                ++i;
        } else {
            i = start;
            while (i < line.size() && line[i] != separator)
                ++i;
            cell = trimmed(line.substr(start, i - start));
        }
        cells.push_back(std::move(cell));
        ++i; // past the separator
    }
    return cells;
}

// A tab, ";" or "," where the line holds one; nothing otherwise.
char marked_separator(std::string_view line) {
    if (line.find('\t') != std::string_view::npos) return '\t';
    if (line.find(';') != std::string_view::npos) return ';';
    if (line.find(',') != std::string_view::npos) return ',';
    return 0;
}

bool is_blank(std::string_view line) {
    return trimmed(line).empty();
}

// The first line of `text` that is not blank.
std::string_view second_line(std::string_view text) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!is_blank(line)) return line;
    }
    return {};
}

// The separator that parts a line into three cells: a tab, ";" or "," where
// the line holds one, else runs of blanks. A title of one word says nothing,
// so then the next line decides; failing both, the mark found, or blanks.
char choose_separator(std::string_view line, std::string_view next) {
    for (std::string_view candidate : {line, next}) {
        const char marked = marked_separator(candidate);
        if (marked && split_cells(candidate, marked, 3).size() == 3) return marked;
        if (split_cells(candidate, ' ', 3).size() == 3) return ' ';
    }
    if (const char marked = marked_separator(line)) return marked;
    if (const char marked = marked_separator(next)) return marked;
    return ' ';
}

} // namespace

point_table parse_point_table(std::string_view text) {
    point_table table;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    bool first = true;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (is_blank(line)) continue;
        if (first) table.separator = choose_separator(line, second_line(text));
        const std::vector<std::string> cells = split_cells(line, table.separator, 3);
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
    }
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
