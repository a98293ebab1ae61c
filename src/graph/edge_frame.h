// An edge P->Q as a candidate search sees it: candidates lie on its outer
// side (left of P->Q) and are measured from its midpoint.
#pragma once

#include "declaration.h"
#include "face_tolerances.h"

#include <algorithm>
#include <cmath>

namespace tessaline::faces {

struct edge_frame {
    const vector_2d& p;
    const vector_2d& q;
    double mx, my; // the midpoint
    double ax, ay; // q - p
    double tol;    // rounding of the side test, side_rounding * |q - p|_1 * span

    // Whether a point within the bounds (min x, max x, min y, max y) may lie
    // on the outer side. The cross product is linear in the point, so its
    // largest value over the bounds is at the corner the edge's signs pick.
    bool may_be_outside(const float* b) const {
        const double x = ay > 0 ? b[0] : b[1];
        const double y = ax > 0 ? b[3] : b[2];
        return ax * (y - p.y) - ay * (x - p.x) > -tol;
    }
    // A lower bound of the distance from the midpoint to a point within the
    // bounds.
    double nearest(const float* b) const {
        const double gx = std::max({b[0] - mx, mx - b[1], 0.0});
        const double gy = std::max({b[2] - my, my - b[3], 0.0});
        return std::sqrt(gx * gx + gy * gy) * (1 - face_tolerance::distance_rounding);
    }
};

// span: width + height of the points' extent.
inline edge_frame frame_of(const vector_2d& p, const vector_2d& q, double span) {
    const double ax = static_cast<double>(q.x) - p.x, ay = static_cast<double>(q.y) - p.y;
    return {p,
            q,
            p.x + (static_cast<double>(q.x) - p.x) / 2,
            p.y + (static_cast<double>(q.y) - p.y) / 2,
            ax,
            ay,
            face_tolerance::side_rounding * (std::fabs(ax) + std::fabs(ay)) * span};
}

} // namespace tessaline::faces
