#include "table_text.h"

#include "value_text.h"

#include <array>

namespace tessaline {

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    return text;
}

// The rest of a quoted cell from just after its opening quote; "" inside it
// stands for one quote. Returns the position after the closing quote.
std::size_t quoted_cell(std::string_view line, std::size_t i, std::string& cell) {
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
std::vector<std::string> split_on_blanks(std::string_view line, std::size_t wanted) {
    std::vector<std::string> cells;
    std::size_t i = 0;
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
            const std::size_t start = i;
            while (i < line.size() && !is_space(line[i]))
                ++i;
            cell = line.substr(start, i - start);
        }
        cells.push_back(std::move(cell));
    }
    return cells;
}

// Lines the separator is chosen from: enough to pass a title and a header.
constexpr std::size_t sample_lines = 20;

} // namespace

bool is_blank_line(std::string_view line) {
    return trimmed(line).empty();
}

std::vector<std::string> table_cells(std::string_view line, char separator, std::size_t wanted) {
    if (separator == blank_separator) return split_on_blanks(line, wanted);
    std::vector<std::string> cells;
    std::size_t i = 0;
    while (cells.size() < wanted && i <= line.size()) {
        std::string cell;
        const std::size_t start = i;
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

void for_each_table_line(std::string_view text,
                         const std::function<bool(std::string_view, std::size_t)>& each) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!each(line, ++number)) return;
    }
}

char table_separator(std::string_view text) {
    std::vector<std::string_view> sample;
    for_each_table_line(text, [&](std::string_view line, std::size_t) {
        if (!is_blank_line(line)) sample.push_back(line);
        return sample.size() < sample_lines;
    });
    constexpr std::array<char, 4> candidates{'\t', ';', ',', blank_separator};
    char best = 0;
    std::size_t best_numbers = 0;
    for (const char candidate : candidates) {
        std::size_t numbers = 0;
        for (std::string_view line : sample) {
            if (candidate != blank_separator && line.find(candidate) == std::string_view::npos)
                continue;
            for (const std::string& cell : table_cells(line, candidate))
                if (parse_real(cell)) ++numbers;
        }
        if (numbers > best_numbers) {
            best = candidate;
            best_numbers = numbers;
        }
    }
    if (best) return best;
    for (std::string_view line : sample)
        for (const char candidate : candidates)
            if (candidate != blank_separator && line.find(candidate) != std::string_view::npos)
                return candidate;
    return blank_separator;
}

} // namespace tessaline
