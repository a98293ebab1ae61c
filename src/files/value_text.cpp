#include "value_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tessaline {

std::optional<std::int32_t> parse_integer(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

static bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
static bool is_space(char c) {
    return c == ' ' || c == '\t';
}

// Rewrites the accepted grammar into the one from_chars reads ("." separator,
// no "+", no spaces); returns false for anything outside the grammar.
static bool normalize_real(std::string_view text, std::string& out) {
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') out += '-';
        ++i;
    }
    bool digits = false, separator = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (is_digit(c)) {
            digits = true;
            out += c;
        } else if ((c == '.' || c == ',') && !separator) {
            separator = true;
            out += '.';
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            if (text[i] == '-') out += '-';
            ++i;
        }
        const size_t first = i;
        for (; i < text.size() && is_digit(text[i]); ++i)
            out += text[i];
        if (i == first) return false;
    }
    return i == text.size();
}

std::optional<double> parse_real(std::string_view text) {
    double value = 0;
    // Files written with "." take this path alone.
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec == std::errc() && ptr == end) {
        if (std::isfinite(value)) return value;
        return std::nullopt;
    }
    std::string normalized;
    if (!normalize_real(text, normalized)) return std::nullopt;
    const char* nend = normalized.data() + normalized.size();
    auto [nptr, nec] = std::from_chars(normalized.data(), nend, value, std::chars_format::general);
    if (nec != std::errc() || nptr != nend || !std::isfinite(value)) return std::nullopt;
    return value;
}

static bool equals_ignoring_case(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

std::optional<bool> parse_boolean(std::string_view text) {
    if (equals_ignoring_case(text, "true")) return true;
    if (equals_ignoring_case(text, "false")) return false;
    if (auto number = parse_real(text)) return *number != 0;
    return std::nullopt;
}

} // namespace tessaline
