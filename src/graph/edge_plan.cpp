#include "edge_plan.h"

#include "face_tolerances.h"
#include "ring_walk.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace tessaline::faces {

namespace {

// A candidate with its handout order: cell order in the round, then rank.
struct queued {
    double distance;
    std::uint64_t key;
    std::int32_t index;
};

// One edge's planning: the same rings, clearances and handout order as the
// builder's search, without the crossing test.
class edge_planner {
  public:
    edge_planner(const point_grid& grid, const edge_frame& edge, edge_plan& plan)
        : grid_(grid), edge_(edge), plan_(plan), cap_(grid.far_distance) {
        std::fill(std::begin(nearest_), std::end(nearest_), grid.far_distance);
        set_limit(cap_);
    }

    void run() {
        plan_.usable = false;
        plan_.exhausted = false;
        plan_.round_count = 0;
        auto scan = [this](std::int32_t col, std::int32_t row) { scan_cell(col, row); };
        // As scan_cell passes over a cell, on the bounds of a block.
        auto skip = [this](const float* b) {
            return !edge_.may_be_outside(b) || !(edge_.nearest(b) < limit_);
        };
        auto end_round = [this](int round, double clearance) {
            return close_round(round, clearance);
        };
        plan_.exhausted = walk_rings(grid_, edge_, max_planned_rounds, scan, skip, end_round) ==
                          walk_end::exhausted;
        plan_.usable = true;
    }

  private:
    // How far the builder is expected to go: the third nearest point found.
    static constexpr int expected_rank = 3;

    // Above the squared limit the distance itself is no lower than the
    // limit: the margin is far wider than the rounding of either.
    void set_limit(double limit) {
        limit_ = limit;
        limit_squared_ = limit * limit * (1 + face_tolerance::squared_rounding);
    }
    // Whether a point is on the outer side within the squared limit; its
    // squared distance in `squared`.
    bool may_enter(std::int32_t rank, double& squared) const {
        const double cx = grid_.xy[rank].x, cy = grid_.xy[rank].y;
        const double dx = cx - edge_.mx, dy = cy - edge_.my;
        squared = dx * dx + dy * dy;
        const bool outside = edge_.ax * (cy - edge_.p.y) - edge_.ay * (cx - edge_.p.x) > 0;
        return outside & (squared <= limit_squared_);
    }
    void keep(double d, std::uint64_t key, std::int32_t rank);
    void offer_from_tree(std::int32_t rank, std::uint64_t cell_key);
    void scan_tree(std::int32_t root, std::uint64_t cell_key);
    void scan_cell(std::int32_t col, std::int32_t row);
    double close_round(int round, double clearance);

    const point_grid& grid_;
    const edge_frame& edge_;
    edge_plan& plan_;
    double nearest_[expected_rank]; // ascending, over the rounds so far
    double cap_;
    // The round's nearest candidates in test order, one more than kept, and
    // the distance a candidate must be below to enter.
    queued top_[planned_per_round + 1];
    int top_count_ = 0;
    double limit_ = 0, limit_squared_ = 0;
    std::uint32_t order_ = 0;
    std::int32_t pending_[4 * 26]; // a tree's nodes to visit: four per level
};

// Keeps a point that enters the list, in test order: by distance, then by
// key.
void edge_planner::keep(double d, std::uint64_t key, std::int32_t rank) {
    int k = top_count_ > planned_per_round ? planned_per_round : top_count_++;
    for (; k > 0 &&
           (top_[k - 1].distance > d || (top_[k - 1].distance == d && top_[k - 1].key > key));
         --k)
        top_[k] = top_[k - 1];
    top_[k] = {d, key, rank};
    if (top_count_ > planned_per_round) set_limit(top_[planned_per_round].distance);
}

void edge_planner::offer_from_tree(std::int32_t rank, std::uint64_t cell_key) {
    double squared;
    if (!may_enter(rank, squared)) return;
    const double d = std::sqrt(squared);
    const std::uint64_t key = cell_key | static_cast<std::uint32_t>(rank);
    // A tree hands out its points out of key order, so a full list also
    // takes a point equal in distance to its last one but earlier in key.
    const bool full = top_count_ > planned_per_round;
    if (d < limit_ || (full && d == limit_ && key < top_[planned_per_round].key))
        keep(d, key, rank);
}

void edge_planner::scan_tree(std::int32_t root, std::uint64_t cell_key) {
    std::int32_t depth = 0;
    pending_[depth++] = root;
    while (depth > 0) {
        const point_node& nd = grid_.nodes[pending_[--depth]];
        if (!edge_.may_be_outside(nd.bounds) || edge_.nearest(nd.bounds) > limit_) continue;
        const std::int32_t* ranks = grid_.node_ranks.data();
        if (nd.first_child >= 0) {
            // Nearest child on top, so that the list fills with near points
            // early and the limit prunes the rest.
            double near[4];
            const std::int32_t base = depth;
            for (std::int32_t k = 0; k < nd.child_count; ++k) {
                const double d = edge_.nearest(grid_.nodes[nd.first_child + k].bounds);
                std::int32_t at = depth++;
                for (; at > base && near[at - base - 1] < d; --at) {
                    near[at - base] = near[at - base - 1];
                    pending_[at] = pending_[at - 1];
                }
                near[at - base] = d;
                pending_[at] = nd.first_child + k;
            }
        } else if (nd.same_xy) {
            // As in the search: the first of points at one place stands for them all.
            offer_from_tree(*std::min_element(ranks + nd.begin, ranks + nd.end), cell_key);
        } else {
            for (std::int32_t k = nd.begin; k < nd.end; ++k)
                offer_from_tree(ranks[k], cell_key);
        }
    }
}

void edge_planner::scan_cell(std::int32_t col, std::int32_t row) {
    const std::int32_t cell = grid_.cell_index(col, row);
    const std::uint32_t cell_order = order_++;
    const std::int32_t begin = grid_.cell_start[cell], end = grid_.cell_start[cell + 1];
    if (begin == end) return;
    const float* b = grid_.bounds_of_cell(cell);
    if (!edge_.may_be_outside(b) || !(edge_.nearest(b) < limit_)) return;
    const std::uint64_t cell_key = static_cast<std::uint64_t>(cell_order) << 32;
    if (end - begin > point_grid::crowded_cell) {
        scan_tree(grid_.cell_tree[begin], cell_key);
        return;
    }
    // Points of a cell come in key order, after every point kept so far: a
    // point equal in distance to the last kept one stays out.
    for (std::int32_t rank = begin; rank < end; ++rank) {
        double squared;
        if (!may_enter(rank, squared)) continue;
        const double d = std::sqrt(squared);
        if (d < limit_) keep(d, cell_key | static_cast<std::uint32_t>(rank), rank);
    }
}

// Records the round's kept candidates; its reach is the expected point's
// distance.
double edge_planner::close_round(int round, double clearance) {
    const int kept = std::min(top_count_, planned_per_round);
    const std::int32_t at = round == 0 ? 0 : plan_.rounds[round - 1].end;
    for (int k = 0; k < kept; ++k) {
        plan_.candidates[at + k] = {top_[k].distance, top_[k].index};
        double d = top_[k].distance;
        for (double& slot : nearest_)
            if (d < slot) std::swap(d, slot);
    }
    plan_.rounds[round] = {clearance, top_count_ > kept ? top_[kept].distance : cap_, at + kept};
    plan_.round_count = static_cast<std::int8_t>(round + 1);
    top_count_ = 0;
    order_ = 0;
    cap_ = nearest_[expected_rank - 1];
    set_limit(cap_);
    return cap_;
}

} // namespace

void plan_edge(const point_grid& grid, std::int32_t from, std::int32_t to, edge_plan& plan) {
    const edge_frame edge = grid.frame(from, to);
    edge_planner(grid, edge, plan).run();
}

} // namespace tessaline::faces
