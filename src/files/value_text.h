// Numbers and booleans as graph files and tables hold them, read without the
// global locale. Reals take "." or "," as the decimal separator, since a file
// does not record which one its writer used.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessaline {

// Decimal digits with an optional leading "-"; nothing else.
std::optional<std::int32_t> parse_integer(std::string_view text);

// Optional spaces around, an optional sign, digits with at most one decimal
// separator and an optional exponent ("E" or "e", optional sign, digits).
// Values beyond the range of a double, "inf" and "nan" are no numbers.
std::optional<double> parse_real(std::string_view text);

// "True" or "False" in any letter case, or a number (0 is false).
std::optional<bool> parse_boolean(std::string_view text);

} // namespace tessaline
