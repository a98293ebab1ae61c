#include "import/xlsx_styles.h"

#include "import/excel_palette.h"
#include "import/number_formats.h"
#include "import/xml_part.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace tessaline {

namespace {

std::int32_t parse_hex_rgb(const char* text, std::int32_t fallback) {
    std::size_t n = std::strlen(text);
    if (n != 6 && n != 8) return fallback;
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 16);
    if (*end) return fallback;
    return bgr_from_rgb(static_cast<std::uint32_t>(value & 0xFFFFFF)); // ARGB: alpha dropped
}

// Lightens (tint > 0) or darkens (tint < 0) in HLS space, as the tint
// attribute is defined.
std::int32_t apply_tint(std::int32_t bgr, double tint) {
    double r = (bgr & 0xFF) / 255.0, g = ((bgr >> 8) & 0xFF) / 255.0,
           b = ((bgr >> 16) & 0xFF) / 255.0;
    double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    double l = (hi + lo) / 2, h = 0, s = 0;
    if (hi != lo) {
        double d = hi - lo;
        s = l > 0.5 ? d / (2 - hi - lo) : d / (hi + lo);
        if (hi == r)
            h = (g - b) / d + (g < b ? 6 : 0);
        else if (hi == g)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
    }
    l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
    auto hue = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    if (s == 0)
        r = g = b = l;
    else {
        double q = l < 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
        r = hue(p, q, h + 1.0 / 3);
        g = hue(p, q, h);
        b = hue(p, q, h - 1.0 / 3);
    }
    auto byte = [](double v) {
        return static_cast<std::int32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    return byte(r) | (byte(g) << 8) | (byte(b) << 16);
}

std::vector<std::int32_t> theme_colors(const pugi::xml_node& theme) {
    std::vector<std::int32_t> scheme;
    pugi::xml_node elements = child_named(child_named(theme, "theme"), "themeElements");
    for (pugi::xml_node c : child_named(elements, "clrScheme").children()) {
        if (c.type() != pugi::node_element) continue;
        pugi::xml_node value = c.first_child();
        std::int32_t color = 0;
        if (local_name(value.name()) == "srgbClr")
            color = parse_hex_rgb(attribute_named(value, "val").value(), 0);
        else if (local_name(value.name()) == "sysClr")
            color = parse_hex_rgb(attribute_named(value, "lastClr").value(), 0);
        scheme.push_back(color);
    }
    // Theme indexes name light 1 before dark 1, and light 2 before dark 2.
    if (scheme.size() >= 4) {
        std::swap(scheme[0], scheme[1]);
        std::swap(scheme[2], scheme[3]);
    }
    return scheme;
}

bool flag(const pugi::xml_node& parent, std::string_view name) {
    pugi::xml_node node = child_named(parent, name);
    if (!node) return false;
    pugi::xml_attribute val = attribute_named(node, "val");
    return !val || val.as_bool();
}

} // namespace

std::int32_t xlsx_color(const pugi::xml_node& color, const std::vector<std::int32_t>& palette,
                        const std::vector<std::int32_t>& theme, std::int32_t fallback) {
    if (!color) return fallback;
    std::int32_t result = fallback;
    if (pugi::xml_attribute rgb = attribute_named(color, "rgb"))
        result = parse_hex_rgb(rgb.value(), fallback);
    else if (pugi::xml_attribute theme_index = attribute_named(color, "theme")) {
        unsigned i = theme_index.as_uint(~0u);
        if (i < theme.size()) result = theme[i];
    } else if (pugi::xml_attribute indexed = attribute_named(color, "indexed")) {
        unsigned i = indexed.as_uint(~0u);
        if (i < palette.size()) result = palette[i];
    } else
        return fallback; // "auto" and empty colours
    if (pugi::xml_attribute tint = attribute_named(color, "tint"))
        result = apply_tint(result, std::clamp(tint.as_double(), -1.0, 1.0));
    return result;
}

xlsx_styles read_xlsx_styles(const pugi::xml_node& styles, const pugi::xml_node& theme,
                             workbook& book) {
    xlsx_styles result;
    pugi::xml_node sheet = child_named(styles, "styleSheet");
    std::vector<std::int32_t> palette = excel_default_palette();
    std::vector<std::int32_t> scheme = theme_colors(theme);

    pugi::xml_node indexed = child_named(child_named(sheet, "colors"), "indexedColors");
    std::size_t slot = 0;
    for (pugi::xml_node rgb : indexed.children())
        if (rgb.type() == pugi::node_element && slot < palette.size())
            palette[slot] = parse_hex_rgb(attribute_named(rgb, "rgb").value(), palette[slot]),
            ++slot;

    std::unordered_map<int, bool> custom_dates;
    for (pugi::xml_node f : child_named(sheet, "numFmts").children())
        if (f.type() == pugi::node_element)
            custom_dates[attribute_named(f, "numFmtId").as_int(-1)] =
                is_date_format_code(attribute_named(f, "formatCode").value());

    std::size_t font_base = book.fonts.size();
    std::size_t font_count = 0;
    for (pugi::xml_node f : child_named(sheet, "fonts").children()) {
        if (f.type() != pugi::node_element) continue;
        workbook_font font;
        font.name = attribute_named(child_named(f, "name"), "val").value();
        font.size = attribute_named(child_named(f, "sz"), "val").as_double(0);
        if (!std::isfinite(font.size) || font.size < 0 || font.size > 4096) font.size = 0;
        font.bold = flag(f, "b");
        font.italic = flag(f, "i");
        if (pugi::xml_node u = child_named(f, "u"))
            font.underline =
                std::string_view(attribute_named(u, "val").as_string("single")) != "none";
        font.color = xlsx_color(child_named(f, "color"), palette, scheme, 0);
        book.fonts.push_back(std::move(font));
        ++font_count;
    }

    std::vector<std::int32_t> fills;
    for (pugi::xml_node f : child_named(sheet, "fills").children()) {
        if (f.type() != pugi::node_element) continue;
        pugi::xml_node pattern = child_named(f, "patternFill");
        std::string_view type = attribute_named(pattern, "patternType").as_string("none");
        std::int32_t fill = -1;
        if (type == "solid")
            fill = xlsx_color(child_named(pattern, "fgColor"), palette, scheme, -1);
        else if (type != "none" && type != "gray125")
            fill = xlsx_color(child_named(pattern, "bgColor"), palette, scheme, -1);
        fills.push_back(fill);
    }

    for (pugi::xml_node xf : child_named(sheet, "cellXfs").children()) {
        if (xf.type() != pugi::node_element) continue;
        cell_format format;
        unsigned font = attribute_named(xf, "fontId").as_uint(0);
        if (font < font_count) format.font = static_cast<std::int32_t>(font_base + font);
        unsigned fill = attribute_named(xf, "fillId").as_uint(0);
        if (fill < fills.size()) format.fill = fills[fill];
        int number_format = attribute_named(xf, "numFmtId").as_int(0);
        auto custom = custom_dates.find(number_format);
        bool date =
            custom != custom_dates.end() ? custom->second : is_builtin_date_format(number_format);
        result.formats.push_back(static_cast<std::uint32_t>(book.formats.size()));
        result.dates.push_back(date);
        book.formats.push_back(format);
    }
    return result;
}

} // namespace tessaline
