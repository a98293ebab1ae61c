// The published values of the colour maps that colour a graph by height.
#pragma once

#include "colour_map.h"

#include <span>

namespace tessaline {

// One entry of a colour map's table, each channel 0 .. 1.
struct colour_entry {
    float r, g, b;
};

// The map's entries, evenly spaced from its low end to its high end; empty
// for off.
std::span<const colour_entry> colour_table(colour_map map);

} // namespace tessaline
