// Decimal text of 64-bit reals: rounding to a number of significant digits on
// the exact binary value (an exact tie rounds away from zero) and the general
// form used by graph files and spreadsheet cells.
#pragma once

#include <string>

namespace tessaline {

// value = 0.d1d2... x 10^exponent; digits has no trailing zeros; zero is
// digits "0", exponent 0.
struct decimal_digits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// v must be finite.
decimal_digits round_decimal(double v, int significant);

// Plain notation when 1e-4 <= |rounded value| < 1e15 (315, -0.25, 0.0001),
// otherwise "E" form with no plus sign and no leading exponent zeros (1E-5,
// 2.5E20). Non-finite values give "NAN", "INF" or "-INF".
std::string general_text(double v, char decimal_separator = '.', int significant = 15);

// The decimal separator of the user's numeric locale (LC_NUMERIC).
char locale_decimal_separator();

} // namespace tessaline
