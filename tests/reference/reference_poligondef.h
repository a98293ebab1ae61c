// The face builder written literally, scanning every built triangle for each
// candidate. Quadratic, so it serves only as the reference the production
// builder must match face for face.
#pragma once

#include "graph/cells.h"
#include "graph/declaration.h"

#include <memory>
#include <vector>

namespace tessaline::reference {

struct front_edge {
    std::int32_t from = 0, to = 0;
    bool open = true;
};

struct front_triangle {
    std::int32_t corner0 = 0, corner1 = 0, corner2 = 0;
    front_edge edges[3];
};

class poligondef {
  public:
    poligondef(std::int32_t point_count, const gl_points_& points, float max_x, float min_x,
               float max_y, float min_y);
    void run();
    triangles get_triangles() const;

  private:
    bool seed_triangle();
    void sort_by_distance(std::vector<distance_idx>& list, std::int32_t lo, std::int32_t hi);
    void add_triangle(std::int32_t a, std::int32_t b, std::int32_t c);
    bool clockwise(std::int32_t a, std::int32_t b, std::int32_t c) const;
    void grow();
    void close_shared_edges(std::int32_t i);
    static bool same_edge(const front_edge& a, const front_edge& b);
    std::int32_t find_third_point(std::int32_t i, std::int32_t j);
    bool outside_edge(const gl_point& p, const gl_point& q, const gl_point& c) const;
    bool segment_free(const gl_point& a, const gl_point& b) const;
    void scan(std::int32_t i, std::int32_t j, double mx, double my, std::int32_t& best,
              double& best_distance);

    std::unique_ptr<cells> grid;
    std::vector<front_triangle> front;
    std::int32_t triangle_count = 0;
    std::int32_t point_count;
    float max_x, min_x, max_y, min_y;
    double far_distance;
    const gl_points_& points;
};

} // namespace tessaline::reference
