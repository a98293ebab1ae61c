// The numbers of a point label: at most ten significant digits, plain for
// exponents -3 .. 10 and "E" form otherwise (1E-05, 1.23456789E10).
#pragma once

#include <string>

namespace tessaline {

std::string format_number(double v, char decimal_separator = '.');

} // namespace tessaline
