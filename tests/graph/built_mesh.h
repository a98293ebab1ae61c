// What the face unit tests share: a built mesh in the ranks of its point
// grid, and the crossing test written out as the literal builder has it.
#pragma once

#include "graph/front_triangle.h"
#include "graph/point_grid.h"
#include "seeded_point_sets.h"

#include <memory>
#include <vector>

namespace tessaline::faces::testing {

// The points' grid and the faces the builder makes of them, corners in ranks.
struct built_mesh {
    std::unique_ptr<point_grid> grid;
    front faces;
};

inline built_mesh mesh_of(const gl_points_& pts) {
    const seeded::extent e = seeded::extent_of(pts);
    built_mesh m;
    m.grid = std::make_unique<point_grid>(static_cast<std::int32_t>(pts.size()), pts, e.max_x,
                                          e.min_x, e.max_y, e.min_y);
    std::vector<std::int32_t> rank(pts.size());
    for (size_t r = 0; r < pts.size(); ++r)
        rank[m.grid->ids[r]] = static_cast<std::int32_t>(r);
    for (const triangle& t : seeded::build_faces(pts))
        m.faces.push_back({{rank[t.p0], rank[t.p1], rank[t.p2]}, 7, 0});
    return m;
}

// Every stride-th of the first count faces: a front with gaps, where
// segments cross few faces and each one decides.
inline front thinned(const front& faces, size_t count, size_t stride) {
    front out;
    for (size_t t = 0; t < count; t += stride)
        out.push_back(faces[t]);
    return out;
}

// Whether a -> b properly crosses s -> e: both parameters in (0, 0.99999).
inline bool literal_crossing(const vector_2d& a, const vector_2d& b, const vector_2d& s,
                             const vector_2d& e) {
    const double d1x = static_cast<double>(b.x) - a.x, d1y = static_cast<double>(b.y) - a.y;
    const double d2x = static_cast<double>(e.x) - s.x, d2y = static_cast<double>(e.y) - s.y;
    const double wx = static_cast<double>(s.x) - a.x, wy = static_cast<double>(s.y) - a.y;
    const double den = d2x * d1y - d2y * d1x;
    if (den == 0) return false;
    const double t = (d2x * wy - d2y * wx) / den, u = (d1x * wy - d1y * wx) / den;
    return t > 0 && t < 0.99999 && u > 0 && u < 0.99999;
}

// Whether a -> b crosses no edge of the first `count` faces.
inline bool literal_free(const std::vector<vector_2d>& xy, const front& faces, size_t count,
                         const vector_2d& a, const vector_2d& b) {
    for (size_t t = 0; t < count; ++t)
        for (int j = 0; j < 3; ++j)
            if (literal_crossing(a, b, xy[faces[t].corner[j]], xy[faces[t].corner[(j + 1) % 3]]))
                return false;
    return true;
}

} // namespace tessaline::faces::testing
