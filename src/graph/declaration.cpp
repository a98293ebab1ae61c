#include "declaration.h"

#include "face_tolerances.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace tessaline {

double power_of_ten(int p) {
    // Powers up to 1e22 are exact doubles, so these are correctly rounded.
    static constexpr std::array<double, 23> exact = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (p >= 0 && p <= 22) return exact[p];
    if (p < 0 && p >= -22) return 1.0 / exact[-p];
    return std::pow(10.0, p);
}

float mark_value(const interval& iv) {
    return static_cast<float>(power_of_ten(iv.power) / iv.divisor * iv.multiple);
}

std::string mark_to_text(const interval& iv) {
    std::string sign = iv.multiple < 0 ? "-" : "";
    std::int64_t n = std::llabs(static_cast<std::int64_t>(iv.multiple));
    std::int64_t digits_of = iv.divisor == 1 ? n : iv.divisor == 2 ? 5 * n : 2 * n;
    std::string d = std::to_string(digits_of);
    if (iv.power > 0) {
        std::int64_t zeros = iv.divisor == 1 ? iv.power : iv.power - 1;
        return sign + d + std::string(static_cast<size_t>(zeros), '0');
    }
    std::int64_t c = iv.divisor == 1 ? -static_cast<std::int64_t>(iv.power)
                                     : 1 - static_cast<std::int64_t>(iv.power);
    std::string text;
    auto len = static_cast<std::int64_t>(d.size());
    if (c < len)
        text = d.substr(0, static_cast<size_t>(len - c)) + "." +
               d.substr(static_cast<size_t>(len - c));
    else
        text = "0." + std::string(static_cast<size_t>(c - len), '0') + d;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return sign + text;
}

interval larger_interval(const interval& iv) {
    interval r = iv;
    switch (iv.divisor) {
    case 1:
        r.power = iv.power + 1;
        r.divisor = 5;
        break;
    case 2:
        r.divisor = 1;
        break;
    default:
        r.divisor = 2;
        break;
    }
    return r;
}

interval smaller_interval(const interval& iv) {
    interval r = iv;
    switch (iv.divisor) {
    case 1:
        r.divisor = 2;
        break;
    case 2:
        r.divisor = 5;
        break;
    default:
        r.power = iv.power - 1;
        r.divisor = 1;
        break;
    }
    return r;
}

float zoom_factor(std::int32_t step) {
    float f = 1.0f;
    const double by = step > 0 ? 1.2 : 0.8;
    // Within a few hundred steps the product reaches a value that the next
    // step leaves unchanged (infinity, zero, or the smallest subnormal);
    // stopping there keeps a huge step from looping billions of times.
    std::int64_t n = std::llabs(static_cast<std::int64_t>(step));
    for (std::int64_t i = 0; i < n; ++i) {
        const float next = static_cast<float>(f * by);
        if (next == f) break;
        f = next;
    }
    return f;
}

rgb_triple id_to_color(std::int32_t id) {
    std::int32_t v = std::clamp(id, -1, 0xFFFFFE) + 1;
    return {static_cast<std::uint8_t>(v / 65536), static_cast<std::uint8_t>((v / 256) % 256),
            static_cast<std::uint8_t>(v % 256)};
}

std::int32_t color_to_id(rgb_triple c) {
    return c.r * 65536 + c.g * 256 + c.b - 1;
}

rgb_triple color_to_rgb(std::uint32_t color) {
    return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
            static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

std::string column_letters(int index) {
    std::string text;
    int q = index / 26, r = index % 26;
    if (q > 0) text += static_cast<char>(64 + q);
    text += static_cast<char>(65 + r);
    return text;
}

vector_2d normalize_2d(vector_2d v) {
    double length = std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y);
    return {static_cast<float>(v.x / length), static_cast<float>(v.y / length)};
}

float dot_2d(vector_2d a, vector_2d b) {
    return static_cast<float>(static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y);
}

bool collinear_xy(const gl_point& a, const gl_point& b, const gl_point& c) {
    vector_2d u = normalize_2d({static_cast<float>(b.x - a.x), static_cast<float>(b.y - a.y)});
    vector_2d w = normalize_2d({static_cast<float>(c.x - a.x), static_cast<float>(c.y - a.y)});
    return std::fabs(dot_2d(u, w)) >= face_tolerance::seed_collinear_cosine;
}

bool same_xy(const gl_point& a, const gl_point& b) {
    return a.x == b.x && a.y == b.y;
}

vector_3d triangle_normal(const gl_point& a, const gl_point& b, const gl_point& c) {
    const double ux = static_cast<float>(a.x - b.x), uy = static_cast<float>(a.y - b.y),
                 uz = static_cast<float>(a.z - b.z);
    const double vx = static_cast<float>(b.x - c.x), vy = static_cast<float>(b.y - c.y),
                 vz = static_cast<float>(b.z - c.z);
    const double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    const double length = static_cast<float>(std::sqrt(cx * cx + cy * cy + cz * cz));
    return {static_cast<float>((uz * vy - uy * vz) / length),
            static_cast<float>((ux * vz - uz * vx) / length),
            static_cast<float>((uy * vx - ux * vy) / length)};
}

std::string trim_to_angle_brackets(std::string_view text) {
    auto first = text.find('<');
    if (first == std::string_view::npos) return {};
    text.remove_prefix(first);
    auto last = text.rfind('>');
    if (last == std::string_view::npos) return {};
    return std::string(text.substr(0, last + 1));
}

} // namespace tessaline
