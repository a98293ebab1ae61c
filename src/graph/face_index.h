// The built faces in a tree of buckets, for the crossing test of a candidate,
// and the faces that blocked the edge being searched.
#pragma once

#include "band_edges.h"
#include "declaration.h"
#include "front_triangle.h"
#include "point_grid.h"

#include <cstdint>
#include <vector>

namespace tessaline::faces {

class face_index {
  public:
    // Buckets over the grid's extent for about point_count points; reads the
    // corners from the front and the grid as faces are added.
    face_index(const point_grid& grid, const front& faces, std::int32_t point_count);

    // Indexes face t of the front.
    void add(std::int32_t t);
    // Whether P-C and Q-C properly cross no built edge. Faces that block a
    // candidate are remembered: they block most of the edge's later ones.
    bool segments_free(const vector_2d& p, const vector_2d& q, const vector_2d& c);
    // Whether a remembered blocker blocks every point within the bounds.
    bool box_blocked(const float* bounds, const vector_2d& p, const vector_2d& q) const;
    // Past this many blocked candidates the edge looks out from behind a wall,
    // and whole cells and point groups are checked against its blockers first.
    bool walled_in() const { return blocked_tests_ >= walled_in_after; }
    // Forgets the blockers: a new edge is searched.
    void next_edge() {
        blocker_count_ = 0;
        blocked_tests_ = 0;
    }

  private:
    // A triangle and its bounds, as it is handed to the buckets.
    struct face_box {
        float x0, x1, y0, y1;
        std::int32_t t;
    };
    // A bucket covers a rectangle; a crowded one splits into 16 children.
    // A leaf lists its triangles, a split bucket those as large as itself,
    // with their bounds packed in steps of the rectangle (packed_bounds.h).
    struct bucket_node {
        double x0, x1, y0, y1;
        double scale_x, scale_y;           // steps per unit
        std::vector<std::uint64_t> bounds; // its triangles: packed bounds
        std::vector<std::int32_t> faces;   // and the triangles
        std::int32_t first_child;          // -1 for a leaf
        std::int32_t depth;
        std::int32_t split_above; // a leaf splits when it holds more triangles
    };
    static constexpr std::int32_t max_blockers = 8;
    static constexpr std::int32_t walled_in_after = 32;

    class crossing_query;

    face_box box_of(std::int32_t t) const;
    template <class Visit>
    bool along_segment(const vector_2d& s0, const vector_2d& s1, Visit&& visit) const;
    void add_bucket(double x0, double x1, double y0, double y1, std::int32_t depth);
    void insert_entry(std::int32_t node, const face_box& box);
    void append_entry(std::int32_t node, const face_box& box);
    void split_crowded(std::int32_t node);
    bool edge_meets(std::int32_t t, const bucket_node& bucket) const;
    std::int32_t leaf_under(const vector_2d& v) const;
    // Column and row of the top grid at a coordinate, the outer ones taking
    // everything beyond the extent.
    std::int32_t col_at(double x) const { return col_band_(x); }
    std::int32_t row_at(double y) const { return row_band_(y); }

    const front& front_;
    const std::vector<vector_2d>& xy_;
    double side_scale_; // width + height of the extent
    double margin_;     // of bucket rectangles, filter_margin of the extent
    // The top grid's column and row edges, first and last at the extent:
    // laid at quantiles of the points, so that crowded regions get as many
    // buckets as their share of the points wherever far points stretch the
    // extent.
    band_lookup col_band_, row_band_;
    std::int32_t cols_ = 1, rows_ = 1;
    std::vector<bucket_node> buckets_; // the top grid first, col * rows + row
    std::vector<std::int32_t> node_stack_;
    bool splits_held_ = false;            // while a split hands its triangles to the new buckets
    std::uint64_t seen_slots_[1024] = {}; // triangles tested in one call: call number, triangle
    std::uint32_t seen_generation_ = 0;
    // Triangles that blocked candidates of the edge being searched, latest
    // first, and how many candidates of it were found blocked.
    std::int32_t blockers_[max_blockers] = {};
    std::int32_t blocker_count_ = 0;
    std::int32_t blocked_tests_ = 0;
};

} // namespace tessaline::faces
