#include "windows_1252.h"

#include <array>

namespace tessaline {

namespace {

// 0x80 .. 0x9F; the rest of the page equals Latin-1.
constexpr std::array<char32_t, 32> high_controls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char unicode_to_byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < high_controls.size(); ++i)
        if (high_controls[i] != 0 && high_controls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one character at text[i] and moves i past it; returns U+FFFD for a
// malformed sequence (which maps to "?").
char32_t next_code_point(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<std::uint8_t>(text[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size()) return 0xFFFD;
        const auto next = static_cast<std::uint8_t>(text[i]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
        ++i;
    }
    static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < smallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    return c;
}

} // namespace

std::string utf8_to_windows_1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size())
        out += unicode_to_byte(next_code_point(utf8, i));
    return out;
}

std::u32string utf8_code_points(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size())
        out += next_code_point(utf8, i);
    return out;
}

std::uint8_t windows_1252_byte(char32_t c) {
    if (c == '?') return '?';
    const char b = unicode_to_byte(c);
    return b == '?' ? 0 : static_cast<std::uint8_t>(b);
}

char32_t windows_1252_to_unicode(std::uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) return high_controls[byte - 0x80];
    return byte;
}

} // namespace tessaline
