// Label texts are single bytes of the Windows-1252 code page: one byte is one
// glyph. Captions arrive as UTF-8 and are converted here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaline {

// Every character outside the code page, and every malformed UTF-8
// sequence, becomes "?".
std::string utf8_to_windows_1252(std::string_view utf8);

// The characters of a UTF-8 text; U+FFFD for each malformed sequence.
std::u32string utf8_code_points(std::string_view utf8);

// The code page's byte of a character; 0 for one outside the page.
std::uint8_t windows_1252_byte(char32_t c);

// The Unicode code point of a byte; 0 for the five bytes the code page leaves
// undefined.
char32_t windows_1252_to_unicode(std::uint8_t byte);

} // namespace tessaline
