// Builds the faces over the points' x-y projection: a greedy advancing front
// that starts with a triangle near the centre and gives every open edge the
// nearest point it can reach without crossing a built edge.
//
// Spatial indexes (a point grid with per-cell bounds, a bucket grid of built
// triangles, a hash of built edges, the convex hull) keep every query local,
// so the cost stays near linear; the result is the same as scanning every
// built triangle for every candidate.
//
// An edge that looks out from behind a wall of built triangles remembers the
// triangles that blocked its first candidates, tests the next ones against
// them first, and passes over whole groups of points they block.
//
// Which points an edge's search looks at, and in what order, does not depend
// on the faces built so far; a helper thread works that out for queued edges
// ahead of time, and the building thread only runs the crossing tests on it.
#pragma once

#include "declaration.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

namespace tessaline {

class poligondef {
  public:
    poligondef(std::int32_t point_count, const gl_points_& points, float max_x, float min_x,
               float max_y, float min_y);
    ~poligondef();
    poligondef(const poligondef&) = delete;
    poligondef& operator=(const poligondef&) = delete;
    void run();
    triangles get_triangles() const;
    // From how many points on a helper thread works ahead (when the machine
    // has a second core); the result is the same either way.
    void set_helper_threshold(std::int32_t points) { helper_threshold = points; }

  private:
    struct front_triangle {
        std::int32_t corner[3];
        std::uint8_t open;   // bit j: edge j (corner j -> corner j+1) not yet shared
        std::uint8_t single; // edges held by this triangle alone when it was added
    };
    // A candidate point or a node of a crowded cell's point tree, queued by
    // distance from the edge's midpoint.
    struct queued {
        double distance;
        std::uint64_t key; // handout order: cell order in the round, then id
        std::int32_t index;
    };
    // A node of a crowded cell's point tree: bounds, its ranks in node_ranks,
    // and its children (consecutive in point_nodes) unless it is a leaf.
    struct point_node {
        float bounds[4]; // min x, max x, min y, max y
        std::int32_t begin, end;
        std::int32_t first_child, child_count;
        bool same_xy; // every point at one place
    };
    // A triangle and its bounds, as it is handed to the buckets.
    struct face_box {
        float x0, x1, y0, y1;
        std::int32_t t;
    };
    // A bucket covers a rectangle; a crowded one splits into 16 children.
    // A leaf lists its triangles, a split bucket those as large as itself,
    // with their bounds in steps of 1/65535 of the rectangle (lower bounds
    // rounded down, upper up, both clamped to it), packed by pack_steps:
    // small, and tested two at a time.
    struct bucket_node {
        double x0, x1, y0, y1;
        double scale_x, scale_y;           // steps per unit
        std::vector<std::uint64_t> bounds; // its triangles: packed bounds
        std::vector<std::int32_t> faces;   // and the triangles
        std::int32_t first_child;          // -1 for a leaf
        std::int32_t depth;
        std::int32_t split_above; // a leaf splits when it holds more triangles
    };

    // An edge's candidates as the helper found them, round by round: the
    // nearest few of a round in the order the search tests them. Those left
    // out are no nearer than the round's cap.
    struct planned_candidate {
        double distance;
        std::int32_t index;
    };
    static constexpr int max_planned_rounds = 6;
    static constexpr int planned_per_round = 4;
    struct planned_round {
        double clearance; // no point nearer than this is left outside the searched cells
        double cap;
        std::int32_t end; // past the round's last candidate
    };
    struct edge_plan {
        bool usable;    // false: the edge is not planned
        bool exhausted; // after the last round every cell that can add a candidate was searched
        std::int8_t round_count;
        planned_round rounds[max_planned_rounds];
        planned_candidate candidates[max_planned_rounds * planned_per_round];
    };
    struct alignas(64) plan_slot {
        std::atomic<std::int32_t> triangle{-1}; // whose edges are planned, once complete
        edge_plan edges[3];
    };

    // An edge P->Q as its search sees it: candidates lie on the outer side
    // (left of P->Q) and are measured from the midpoint; tol covers the
    // rounding of the side test.
    struct edge_frame {
        const vector_2d& p;
        const vector_2d& q;
        double mx, my, ax, ay, tol;
        // Whether a point within the bounds may lie on the outer side.
        bool may_be_outside(const float* bounds) const;
        // A lower bound of the distance from the midpoint to a point within
        // the bounds.
        double nearest(const float* bounds) const;
    };

    bool seed_triangle();
    void add_triangle(std::int32_t a, std::int32_t b, std::int32_t c);
    void grow();
    void build_point_grid();
    void build_hull();
    void close_shared_edges(std::int32_t i);
    template <class ScanCell, class SkipRun>
    void scan_next_ring(std::int32_t& c0, std::int32_t& r0, std::int32_t& c1, std::int32_t& r1,
                        std::int32_t rc0, std::int32_t rc1, std::int32_t rr0, std::int32_t rr1,
                        ScanCell& scan_cell, SkipRun& skip_run) const;
    std::int32_t find_third_point(std::int32_t from, std::int32_t to);
    // The helper's side: plan every single edge of the triangles the builder
    // has queued, as long as it is not too far ahead.
    void plan_ahead();
    void wake_helper();
    void stop_helper();
    void plan_edge(std::int32_t from, std::int32_t to, edge_plan& plan) const;
    // The builder's side: the nearest free point from a plan, or -2 where the
    // plan does not reach as far as the search has to go.
    std::int32_t third_point_of_plan(std::int32_t from, std::int32_t to, const edge_plan& plan);
    bool segments_free(const vector_2d& p, const vector_2d& q, const vector_2d& c);
    // Whether a remembered blocker blocks every point within the bounds.
    bool box_blocked(const float* bounds, const vector_2d& p, const vector_2d& q) const;
    bool triangle_crosses(const std::int32_t* corner, const vector_2d& a, double d1x, double d1y,
                          double tol) const;
    void register_triangle(std::int32_t t);
    face_box box_of(std::int32_t t) const;
    void add_bucket(double x0, double x1, double y0, double y1, std::int32_t depth);
    void insert_entry(std::int32_t node, const face_box& box);
    void append_entry(std::int32_t node, const face_box& box);
    void split_crowded(std::int32_t node);
    bool edge_meets(std::int32_t t, const bucket_node& bucket) const;
    edge_frame frame_of(std::int32_t from, std::int32_t to) const;
    void outside_region(const edge_frame& edge, std::int32_t& c0, std::int32_t& c1,
                        std::int32_t& r0, std::int32_t& r1) const;
    void build_cell_trees();
    std::int32_t build_point_node(std::int32_t begin, std::int32_t end, int depth);

    // How many built triangles hold the undirected edge a-b.
    std::uint8_t count_edge(std::int32_t a, std::int32_t b); // the count after
    std::uint8_t edge_use(std::int32_t a, std::int32_t b);
    std::uint8_t* edge_slot(std::int32_t a, std::int32_t b, bool add);

    std::int32_t helper_threshold = 50000;
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
    static constexpr std::int32_t row_block = 32;
    std::int32_t row_block_count = 1;
    std::vector<std::int32_t> row_blocks; // per row and run of row_block columns: non-empty cells
    std::vector<float> cell_bounds;       // min x, max x, min y, max y, at each cell's first rank
    // Cells with more points than this are searched through a point tree.
    static constexpr std::int32_t crowded_cell = 64;
    std::vector<std::int32_t> cell_tree; // a crowded cell's root node, at the cell's first rank
    std::vector<point_node> point_nodes;
    std::vector<std::int32_t> node_ranks;

    // Buckets of built triangles for the crossing test.
    double side_scale = 0; // width + height of the extent
    std::int32_t bucket_size = 1;
    double bucket_width = 0, bucket_height = 0;
    std::vector<bucket_node> buckets; // the top grid first, col * bucket_size + row
    std::vector<std::int32_t> node_stack;
    bool splits_held = false;            // while a split hands its triangles to the new buckets
    std::uint64_t seen_slots[1024] = {}; // triangles tested in one call: call number, triangle
    std::uint32_t seen_generation = 0;
    // Triangles that blocked candidates of the edge being searched, latest
    // first.
    static constexpr std::int32_t max_blockers = 8;
    std::int32_t blockers[max_blockers] = {};
    std::int32_t blocker_count = 0;
    std::int32_t blocked_tests = 0; // candidates of that edge found blocked
    // Past this many, the edge looks out from behind a wall, and whole cells
    // and point groups are checked against its blockers before their points.
    static constexpr std::int32_t walled_in = 32;

    // Edges of a point: the other point (or -1) and how many built triangles
    // hold the edge; one row fills half a cache line.
    static constexpr int edge_row = 6;
    struct alignas(32) edge_slots {
        std::int32_t to[edge_row];
        std::uint8_t uses[edge_row];
    };
    std::vector<edge_slots> edge_rows;
    std::unordered_map<std::uint64_t, std::uint8_t> edge_overflow;

    std::vector<vector_2d> hull; // counter-clockwise
    static constexpr size_t hull_run = 32;
    std::vector<std::array<float, 4>> hull_runs;       // bounds of each run of hull corners
    std::vector<queued> round_candidates, round_nodes; // heaps of one round
    std::vector<queued> scan_buffer = std::vector<queued>(crowded_cell); // one cell's points

    // Shared with the helper. It plans triangles below published and less
    // than plan_window past working (the triangle being built on), whose slot
    // the builder may still read.
    static constexpr std::int32_t plan_window = 2048;
    std::unique_ptr<plan_slot[]> plan_slots;
    // Points a plan tested before it fell short, for the search that follows.
    struct tested_point {
        std::int32_t index;
        bool free;
    };
    tested_point tested[max_planned_rounds * planned_per_round];
    std::int32_t tested_count = 0;
    std::thread helper_thread;
    const front_triangle* published_front = nullptr; // front's storage, never moved meanwhile
    alignas(64) std::atomic<std::int32_t> published{0};
    alignas(64) std::atomic<std::int32_t> working{0};
    alignas(64) std::atomic<bool> helper_stop{false};
    std::atomic<std::uint32_t> helper_wake{0}; // changed whenever the helper may go on
};

} // namespace tessaline
