// Dates held as day serials of the 1900 date system (day 1 is 1900-01-01,
// with the fictitious 1900-02-29 as day 60, fractions are the time of day),
// the way both spreadsheet families count, and their ISO text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

// "2024-01-31", "2024-01-31 12:30:00", or "12:30:00" below day 1; empty for a
// serial outside 0 .. 9999-12-31.
std::string date_text(double serial);

// "YYYY-MM-DD" with an optional time ("T" or " " then HH:MM[:SS[.fff]]), or a
// time alone ("HH:MM[:SS]").
std::optional<double> date_serial(std::string_view text);

// An ISO 8601 duration of a day or less, as OpenDocument writes time values
// ("PT12H30M05S").
std::optional<double> duration_serial(std::string_view text);

// Serial offset between the 1904 and the 1900 date systems.
inline constexpr double date1904_offset = 1462;

} // namespace tessaline
