// Builds the faces over the points' x-y projection by a greedy advancing front,
// composed of the units that keep each query local (see grow()).
#pragma once

#include "declaration.h"
#include "front_triangle.h"

#include <cstdint>
#include <memory>
#include <stop_token>

namespace tessaline {

namespace faces {
class point_grid;
class face_index;
class edge_counts;
class candidate_search;
class plan_helper;
} // namespace faces

// Starts with a triangle near the centre, then gives every open edge, in the
// order the edges were made, the nearest point it can reach without crossing
// a built edge.
class poligondef {
  public:
    poligondef(std::int32_t point_count, const gl_points_& points, float max_x, float min_x,
               float max_y, float min_y);
    ~poligondef();
    poligondef(const poligondef&) = delete;
    poligondef& operator=(const poligondef&) = delete;
    // Throws work_stopped soon after `stop` is requested; nothing is kept then.
    void run(std::stop_token stop = {});
    triangles get_triangles() const;
    // From how many points on a helper thread works ahead (when the machine
    // has a second core); the result is the same either way.
    void set_helper_threshold(std::int32_t points) { helper_threshold = points; }

  private:
    bool seed_triangle();
    void grow(const std::stop_token& stop);
    void add_triangle(std::int32_t a, std::int32_t b, std::int32_t c);
    void close_shared_edges(std::int32_t i);

    std::int32_t helper_threshold = 50000;
    std::int32_t point_count;
    const gl_points_& points;
    float max_x, min_x, max_y, min_y;
    faces::front front;
    // Kept after the run: corners are ranks in its cell order.
    std::unique_ptr<faces::point_grid> grid;
    // Only while the faces grow; the helper last, as it reads the others.
    std::unique_ptr<faces::edge_counts> edges;
    std::unique_ptr<faces::face_index> index;
    std::unique_ptr<faces::candidate_search> search;
    std::unique_ptr<faces::plan_helper> helper;
};

} // namespace tessaline
