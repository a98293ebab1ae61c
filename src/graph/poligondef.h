// Builds the faces over the points' x-y projection: a greedy advancing front
// that starts with a triangle near the centre and gives every open edge the
// nearest point it can reach without crossing a built edge.
//
// Spatial indexes (a point grid with per-cell bounds, a bucket grid of built
// triangles, a hash of built edges, the convex hull) keep every query local,
// so the cost stays near linear; the result is the same as scanning every
// built triangle for every candidate.
#pragma once

#include "declaration.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace tessaline {

class poligondef {
  public:
    poligondef(std::int32_t point_count, const gl_points_& points, float max_x, float min_x,
               float max_y, float min_y);
    void run();
    triangles get_triangles() const;

  private:
    struct front_triangle {
        std::int32_t corner[3];
        std::uint8_t open; // bit j: edge j (corner j -> corner j+1) not yet shared
    };
    struct candidate {
        double distance;
        std::int32_t id;
    };

    bool seed_triangle();
    void add_triangle(std::int32_t a, std::int32_t b, std::int32_t c);
    void grow();
    void build_point_grid();
    void build_hull();
    void close_shared_edges(std::int32_t i);
    std::int32_t find_third_point(std::int32_t from, std::int32_t to);
    bool segments_free(const vector_2d& p, const vector_2d& q, const vector_2d& c);
    bool triangle_crosses(const std::int32_t* corner, const vector_2d& a, double d1x,
                          double d1y) const;
    void register_triangle(std::int32_t t);
    void outside_region(const vector_2d& p, const vector_2d& q, std::int32_t& c0, std::int32_t& c1,
                        std::int32_t& r0, std::int32_t& r1) const;
    bool cell_may_be_outside(std::int32_t cell, const vector_2d& p, double ax, double ay,
                             double tol) const;

    // How many built triangles hold the undirected edge a-b.
    void count_edge(std::int32_t a, std::int32_t b);
    std::uint8_t edge_use(std::int32_t a, std::int32_t b) const;

    std::int32_t point_count;
    const gl_points_& points;
    float max_x, min_x, max_y, min_y;
    double far_distance;
    std::vector<front_triangle> front;
    std::vector<vector_2d> xy; // x and y by rank (cell order) once the grid exists
    std::int32_t seed[3] = {};

    // Point grid, laid out exactly as the cell grid of the search: n x n
    // cells, ids of a cell in increasing order (cell index col * n + row).
    std::int32_t grid_size = 1;
    float cell_width = 0, cell_height = 0;
    std::vector<std::int32_t> cell_start, cell_ids;
    std::vector<float> cell_bounds; // min x, max x, min y, max y per cell

    // Buckets of built triangles for the crossing test.
    double side_scale = 0; // width + height of the extent
    std::int32_t bucket_size = 1;
    double bucket_width = 0, bucket_height = 0;
    struct bucket_entry {
        float x0, x1, y0, y1; // bounds of the triangle
        std::int32_t t;
        std::int32_t corner[3]; // kept here so the test touches no other table
    };
    std::vector<std::vector<bucket_entry>> buckets;

    static constexpr int edge_row = 8;
    std::vector<std::int32_t> edge_to; // edge_row slots per lower point: the other point or -1
    std::vector<std::uint8_t> edge_uses;
    std::unordered_map<std::uint64_t, std::uint8_t> edge_overflow;

    std::vector<vector_2d> hull; // counter-clockwise
    std::vector<candidate> round_candidates;
};

} // namespace tessaline
