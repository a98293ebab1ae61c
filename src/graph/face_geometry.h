// Plane tests the face builder's units share (side of a point, segment against
// triangle and rectangle, clamped cell index); inline for the inner loops.
#pragma once

#include "declaration.h"
#include "face_tolerances.h"

#include <cmath>
#include <cstdint>

namespace tessaline::faces {

// (q - p) x (c - p) in double: positive when c lies left of p -> q.
template <class A, class B, class C> double cross_from(const A& p, const B& q, const C& c) {
    return (static_cast<double>(q.x) - p.x) * (static_cast<double>(c.y) - p.y) -
           (static_cast<double>(q.y) - p.y) * (static_cast<double>(c.x) - p.x);
}

// Bucket or cell index of a coordinate, clamped to 0 .. n - 1 (also for an
// undefined quotient from a degenerate extent).
inline std::int32_t clamped_index(double offset, double size, std::int32_t n) {
    const double q = std::floor(offset / size);
    if (!(q >= 0)) return 0;
    if (!(q < n)) return n - 1;
    return static_cast<std::int32_t>(q);
}

// Whether the segment a -> a + d properly crosses an edge of the triangle
// with the given corners: both crossing parameters in (0, crossing_t_max),
// computed as the literal builder computes them. tol bounds the rounding of
// the side products (side_rounding * |d|_1 * span), so that edges clearly on
// one side of the segment's line are passed over without dividing.
inline bool segment_crosses_triangle(const vector_2d* xy, const std::int32_t* corner,
                                     const vector_2d& a, double d1x, double d1y, double tol) {
    // Side of each corner against the segment's line; it is also the
    // numerator of the crossing parameter along the edge starting there.
    double side[3];
    for (int k = 0; k < 3; ++k) {
        const vector_2d& s = xy[corner[k]];
        const double wx = static_cast<double>(s.x) - a.x, wy = static_cast<double>(s.y) - a.y;
        side[k] = d1x * wy - d1y * wx;
    }
    for (int j = 0; j < 3; ++j) {
        const int k = j == 2 ? 0 : j + 1;
        const double num_u = side[j];
        if (num_u == 0 || (num_u > tol && side[k] > tol) || (num_u < -tol && side[k] < -tol))
            continue;
        const vector_2d& s = xy[corner[j]];
        const vector_2d& e = xy[corner[k]];
        const double d2x = static_cast<double>(e.x) - s.x, d2y = static_cast<double>(e.y) - s.y;
        const double wx = static_cast<double>(s.x) - a.x, wy = static_cast<double>(s.y) - a.y;
        const double den = d2x * d1y - d2y * d1x;
        if (den == 0) continue;
        const double num_t = d2x * wy - d2y * wx;
        // Both parameters must be positive; the signs decide that without
        // dividing.
        if (std::signbit(num_t) != std::signbit(den) || std::signbit(num_u) != std::signbit(den) ||
            num_t == 0)
            continue;
        const double t_ab = num_t / den;
        const double u = num_u / den;
        constexpr double t_max = face_tolerance::crossing_t_max;
        if (t_ab > 0 && t_ab < t_max && u > 0 && u < t_max) return true;
    }
    return false;
}

// Whether the segment a -> b may pass through the rectangle x0..x1 x y0..y1
// (already widened by the caller's margin): their bounds overlap and the
// segment's line passes between the rectangle's corners, to within the
// rounding of the side products.
inline bool segment_meets_rect(double ax, double ay, double bx, double by, double x0, double x1,
                               double y0, double y1) {
    if (std::fmax(ax, bx) < x0 || std::fmin(ax, bx) > x1 || std::fmax(ay, by) < y0 ||
        std::fmin(ay, by) > y1)
        return false;
    const double dx = bx - ax, dy = by - ay;
    const double tol =
        face_tolerance::filter_margin * (std::fabs(dx) + std::fabs(dy)) * (x1 - x0 + y1 - y0);
    int above = 0, below = 0;
    for (double cx : {x0, x1})
        for (double cy : {y0, y1}) {
            const double side = dx * (cy - ay) - dy * (cx - ax);
            above += side > -tol;
            below += side < tol;
        }
    return above > 0 && below > 0;
}

} // namespace tessaline::faces
