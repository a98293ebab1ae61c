// Every margin and bound of the face builder's arithmetic, each with the
// rounding it covers (2^-53 is a double's unit roundoff).
#pragma once

namespace tessaline::face_tolerance {

// Each margin is wider than the rounding of what it guards (inputs are floats,
// whose differences a double holds nearly exactly), so that a filter it widens
// never drops what the exact test keeps.

// Three bounds are definitions, not margins, and must equal the literal
// builder's. First: a segment crosses a built edge when both crossing
// parameters lie in (0, crossing_t_max); the crossing test and the
// blocked-box test must agree with it.
inline constexpr double crossing_t_max = 0.99999;

// Second: the seed's three points must not lie on one line, judged by the
// cosine between the directions to the second and third points (a float,
// compared in double).
inline constexpr double seed_collinear_cosine = 0.99999;

// Third: a search starts with a best distance this far past the extent's
// diagonal, which no candidate reaches.
inline constexpr double beyond_diagonal = 1000;

// Side of a point against a segment, d x w in double: under 3 * 2^-53 (about
// 3.3e-16) of |d|_1 * |w|_1, and |w|_1 is at most the extent's span. Taken as
// side_rounding * |d|_1 * span, three thousand times the bound.
inline constexpr double side_rounding = 1e-12;

// A distance from rounded squares and a square root is off by under 3 * 2^-53
// of itself; a lower bound is shrunk by far more than that.
inline constexpr double distance_rounding = 1e-12;

// A squared distance against a squared limit, both rounded by under 4 * 2^-53:
// the squared filter lets through this much more, so that it never drops a
// point the distance itself would keep.
inline constexpr double squared_rounding = 1e-10;

// Margins of the cell and bucket filters (the hull's interior, the piece of
// the hull outside an edge, bucket rectangles, a segment against a rectangle,
// a box of points blocked whole), relative to the sizes they compare: about
// 9e6 * 2^-53, wide enough for the rounding of cross products that chain two
// or three products, and of the bucket bounds computed from the extent.
inline constexpr double filter_margin = 1e-9;

// A bucket stops splitting below this share of its coordinates' size: a float
// resolves 2^-23 (about 1.2e-7) of its value, so finer buckets would split
// faces that float corners cannot tell apart.
inline constexpr double finest_bucket = 1e-6;

} // namespace tessaline::face_tolerance
