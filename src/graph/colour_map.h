// Colour by height: the colour maps, how a Z value finds its place on one,
// and the colour of every point of a graph. No GL, so that the scene, the
// colour bar and a mesh export share one rule.
#pragma once

#include "declaration.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaline {

class Datafield;

// off is the classic look: one colour per layer.
enum class colour_map : std::uint8_t { off, viridis, cividis, diverging, grey };

inline constexpr colour_map colour_maps[] = {colour_map::viridis, colour_map::cividis,
                                             colour_map::diverging, colour_map::grey};

// "off", "viridis", "cividis", "diverging", "grey": the names of graph files,
// settings and the command line.
std::string_view colour_map_name(colour_map map);
std::optional<colour_map> colour_map_named(std::string_view name);

// The Z values the two ends of a map stand for.
struct colour_span {
    double low = 0, high = 1;
    bool operator==(const colour_span&) const = default;
};

// The span of Z from low to high. The diverging map, on data that has values
// either side of zero, gets one symmetric about zero, so that its neutral
// middle stands for zero.
colour_span colour_span_for(colour_map map, double low, double high);

// The Z span of a graph: its Z limits where set, else its data's bounds.
colour_span colour_span_of(const Datafield& field, colour_map map);

// Where z lies on the span, 0 .. 1 (clamped; a flat span and a value that is
// not a number give the middle).
double colour_position(const colour_span& span, double z);

// The map's colour at a position 0 .. 1, interpolated between its entries.
rgb_triple colour_at(colour_map map, double position);

// The colour of every point of the graph by its Z in data units, in point
// order; empty for off.
std::vector<rgb_triple> height_colours(const Datafield& field, colour_map map);

} // namespace tessaline
