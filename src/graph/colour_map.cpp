#include "colour_map.h"

#include "colour_map_tables.h"
#include "datafield.h"

#include <algorithm>
#include <cmath>

namespace tessaline {

namespace {

constexpr std::string_view names[] = {"off", "viridis", "cividis", "diverging", "grey"};

std::uint8_t channel(float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
}

} // namespace

std::string_view colour_map_name(colour_map map) {
    return names[static_cast<std::size_t>(map)];
}

std::optional<colour_map> colour_map_named(std::string_view name) {
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (names[i] == name) return static_cast<colour_map>(i);
    return std::nullopt;
}

colour_span colour_span_for(colour_map map, double low, double high) {
    if (low > high) std::swap(low, high);
    if (map == colour_map::diverging && low < 0 && high > 0) {
        const double reach = std::max(-low, high);
        return {-reach, reach};
    }
    return {low, high};
}

colour_span colour_span_of(const Datafield& field, colour_map map) {
    const double low = field.limits_z.min.value_or(field.min_z);
    const double high = field.limits_z.max.value_or(field.max_z);
    return colour_span_for(map, low, high);
}

double colour_position(const colour_span& span, double z) {
    const double width = span.high - span.low;
    if (!(width > 0) || !std::isfinite(width) || std::isnan(z)) return 0.5;
    return std::clamp((z - span.low) / width, 0.0, 1.0);
}

rgb_triple colour_at(colour_map map, double position) {
    const std::span<const colour_entry> table = colour_table(map);
    if (table.empty()) return {};
    if (!(position >= 0)) position = 0; // NaN too
    const double at = std::min(position, 1.0) * static_cast<double>(table.size() - 1);
    const auto below = std::min(static_cast<std::size_t>(at), table.size() - 1);
    const std::size_t above = std::min(below + 1, table.size() - 1);
    const auto f = static_cast<float>(at - static_cast<double>(below));
    const colour_entry& a = table[below];
    const colour_entry& b = table[above];
    return {channel(a.r + (b.r - a.r) * f), channel(a.g + (b.g - a.g) * f),
            channel(a.b + (b.b - a.b) * f)};
}

std::vector<rgb_triple> height_colours(const Datafield& field, colour_map map) {
    std::vector<rgb_triple> colours;
    if (map == colour_map::off) return colours;
    const colour_span span = colour_span_of(field, map);
    colours.reserve(field.points.size());
    for (const data_point& p : field.points)
        colours.push_back(colour_at(map, colour_position(span, p.z)));
    return colours;
}

} // namespace tessaline
