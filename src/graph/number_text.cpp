#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>

namespace tessaline {

namespace {

// Significant digits and decimal exponent (value = 0.ddd x 10^e) of v printed
// with `count` significant digits, correctly rounded by the library.
void print_digits(double v, int count, std::string& digits, int& exponent) {
    char buf[1100];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                           count - 1);
    const char* e = std::find(buf, r.ptr, 'e');
    digits.clear();
    for (const char* p = buf; p != e; ++p)
        if (*p != '.') digits += *p;
    int exp10 = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, r.ptr, exp10);
    exponent = exp10 + 1;
}

} // namespace

decimal_digits round_decimal(double v, int significant) {
    decimal_digits out;
    out.negative = std::signbit(v) && v != 0;
    if (v == 0) {
        out.digits = "0";
        return out;
    }
    // Two guard digits decide the rounding, except where they read "50": that
    // may be an exact tie or a rounded-up 49..., so look at the exact value.
    std::string digits;
    int exponent = 0;
    print_digits(v, significant + 2, digits, exponent);
    bool up = digits[significant] >= '5';
    if (digits[significant] == '5' && digits[significant + 1] == '0') {
        // 767 digits hold any double's expansion to its end.
        print_digits(v, 767, digits, exponent);
        up = digits[significant] >= '5';
    }
    digits.resize(static_cast<size_t>(significant));
    if (up) {
        int i = significant - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0)
            ++digits[i];
        else {
            digits = "1" + digits.substr(0, digits.size() - 1);
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    out.digits = digits;
    out.exponent = exponent;
    return out;
}

std::string general_text(double v, char decimal_separator, int significant) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";
    const decimal_digits d = round_decimal(v, significant);
    const int len = static_cast<int>(d.digits.size());
    std::string text = d.negative ? "-" : "";
    // 1e-4 <= |x| < 1e15 with x = 0.ddd x 10^e means -3 <= e <= 15.
    if (d.exponent >= -3 && d.exponent <= 15) {
        if (d.exponent <= 0) {
            text += '0';
            text += decimal_separator;
            text.append(static_cast<size_t>(-d.exponent), '0');
            text += d.digits;
        } else if (d.exponent >= len) {
            text += d.digits;
            text.append(static_cast<size_t>(d.exponent - len), '0');
        } else {
            text.append(d.digits, 0, static_cast<size_t>(d.exponent));
            text += decimal_separator;
            text.append(d.digits, static_cast<size_t>(d.exponent));
        }
        return text;
    }
    text += d.digits[0];
    if (len > 1) {
        text += decimal_separator;
        text.append(d.digits, 1);
    }
    text += 'E';
    text += std::to_string(d.exponent - 1);
    return text;
}

char locale_decimal_separator() {
    const std::lconv* lc = std::localeconv();
    if (lc && lc->decimal_point && std::strlen(lc->decimal_point) == 1) return lc->decimal_point[0];
    return '.';
}

} // namespace tessaline
