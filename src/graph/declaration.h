// Records shared by the graph, view, file and import layers, and the small
// stateless helpers they use (interval steps, mark texts, zoom factors,
// picking colours, column letters, plane tests, face normals).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// A point as imported or read from a graph file, in data units.
struct data_point {
    double x = 0, y = 0, z = 0;
    bool operator==(const data_point&) const = default;
};

// A point in scene units: every axis scaled into -1 .. 1.
struct gl_point {
    float x = 0, y = 0, z = 0;
    bool operator==(const gl_point&) const = default;
};

// One face: three point ids in the order it was built or stored.
struct triangle {
    std::int32_t p0 = 0, p1 = 0, p2 = 0;
    bool operator==(const triangle&) const = default;
};

// How data units become scene units. classic: each axis divided by its
// largest magnitude, so zero stays at the origin. fit: each axis' own range
// [min, max] mapped onto -1 .. 1, so data far from zero fills the view.
enum class axis_scaling : std::uint8_t { classic, fit };

// A user's limits of one axis in data units; either side may be open. Points
// beyond them are not shown, and the axis spans them instead of the data.
struct axis_limits {
    std::optional<double> min, max;
    bool any() const { return min.has_value() || max.has_value(); }
    bool operator==(const axis_limits&) const = default;
};

using data_points_ = std::vector<data_point>;
using gl_points_ = std::vector<gl_point>;
using triangles = std::vector<triangle>;

// A point id with its distance from a centre (sort list of the seed step).
struct distance_idx {
    std::int32_t id = 0;
    double distance = 0;
};

// One mark of an axis: multiple x (10^power / divisor).
struct interval {
    std::int32_t power = 0;
    std::int32_t divisor = 1; // 1, 2 or 5
    std::int32_t multiple = 1;
    bool operator==(const interval&) const = default;
};

// An entry of an axis' mark list; entry 0 is the axis caption.
struct mark : interval {
    float position = 0; // along the axis in scene units, axis zoom included
    std::string text;
};

using marks = std::vector<mark>;

struct rgb_triple {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const rgb_triple&) const = default;
};

struct vector_2d {
    float x = 0, y = 0;
};

struct vector_3d {
    float x = 0, y = 0, z = 0;
    bool operator==(const vector_3d&) const = default;
};

// 10^p as the nearest double.
double power_of_ten(int p);

float mark_value(const interval& iv);
std::string mark_to_text(const interval& iv);
interval larger_interval(const interval& iv);
interval smaller_interval(const interval& iv);

// 1.2^n for n > 0, 0.8^-n for n < 0, rounded to 32 bits after every step.
float zoom_factor(std::int32_t step);

rgb_triple id_to_color(std::int32_t id);
std::int32_t color_to_id(rgb_triple c);
// Colour value with red in the lowest byte, then green, then blue.
rgb_triple color_to_rgb(std::uint32_t color);

// Spreadsheet column name of a 0-based index ("A" .. "ZZ").
std::string column_letters(int index);

vector_2d normalize_2d(vector_2d v);
float dot_2d(vector_2d a, vector_2d b);
bool collinear_xy(const gl_point& a, const gl_point& b, const gl_point& c);
bool same_xy(const gl_point& a, const gl_point& b);
vector_3d triangle_normal(const gl_point& a, const gl_point& b, const gl_point& c);

// The part of a server reply from its first '<' through its last '>'.
std::string trim_to_angle_brackets(std::string_view text);

} // namespace tessaline
