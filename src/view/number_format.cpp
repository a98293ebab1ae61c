#include "number_format.h"

#include "graph/number_text.h"

#include <cmath>
#include <cstdlib>

namespace tessaline {

std::string format_number(double v, char decimal_separator) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    const decimal_digits d = round_decimal(v, 10);
    if (d.digits == "0") return "0";
    const std::string& digits = d.digits;
    const int e = d.exponent; // value = 0.d1d2... x 10^e, decided on the rounded value
    std::string text = d.negative ? "-" : "";
    if (e >= -3 && e <= 10) {
        if (e <= 0) {
            text += '0';
            text += decimal_separator;
            text.append(static_cast<std::size_t>(-e), '0');
            text += digits;
        } else {
            const auto whole = static_cast<std::size_t>(e);
            if (digits.size() <= whole) {
                text += digits;
                text.append(whole - digits.size(), '0');
            } else {
                text += digits.substr(0, whole);
                text += decimal_separator;
                text += digits.substr(whole);
            }
        }
        return text;
    }
    text += digits[0];
    if (digits.size() > 1) {
        text += decimal_separator;
        text += digits.substr(1);
    }
    text += 'E';
    const int power = e - 1;
    if (power < 0) text += '-';
    const std::string magnitude = std::to_string(std::abs(power));
    if (magnitude.size() < 2) text += '0';
    text += magnitude;
    return text;
}

} // namespace tessaline
