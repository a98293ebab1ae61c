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

} // namespace

void plan_edge(const point_grid& grid, std::int32_t from, std::int32_t to, edge_plan& plan) {
    // The same rings, clearances and handout order as the builder's search,
    // without the crossing test.
    plan.usable = false;
    plan.exhausted = false;
    plan.round_count = 0;
    const edge_frame edge = grid.frame(from, to);
    const vector_2d& p = edge.p;
    const double mx = edge.mx, my = edge.my, ax = edge.ax, ay = edge.ay;
    const std::int32_t n = grid.grid_size;
    const double far_distance = grid.far_distance;
    const std::vector<vector_2d>& xy = grid.xy;

    constexpr int expected_rank = 3;
    double nearest[expected_rank]; // ascending, over the rounds so far
    std::fill(std::begin(nearest), std::end(nearest), far_distance);
    double cap = far_distance;
    // The round's nearest candidates in test order, one more than kept, and
    // the distance a candidate must be below to enter.
    queued top[planned_per_round + 1];
    int top_count = 0;
    double limit = cap;
    // Above this squared distance the distance itself is no lower than the
    // limit: the margin is far wider than the rounding of either.
    double limit_squared = limit * limit * (1 + face_tolerance::squared_rounding);
    std::uint32_t order = 0;
    const double px = p.x, py = p.y;
    // Keeps a point that enters the list, in test order: by distance, then
    // by key.
    auto keep = [&](double d, std::uint64_t key, std::int32_t id) {
        int k = top_count > planned_per_round ? planned_per_round : top_count++;
        for (; k > 0 &&
               (top[k - 1].distance > d || (top[k - 1].distance == d && top[k - 1].key > key));
             --k)
            top[k] = top[k - 1];
        top[k] = {d, key, id};
        if (top_count > planned_per_round) {
            limit = top[planned_per_round].distance;
            limit_squared = limit * limit * (1 + face_tolerance::squared_rounding);
        }
    };
    auto offer_from_tree = [&](std::int32_t id, std::uint64_t cell_key) {
        const double cx = xy[id].x, cy = xy[id].y;
        const double dx = cx - mx, dy = cy - my;
        const double squared = dx * dx + dy * dy;
        if (!((ax * (cy - py) - ay * (cx - px) > 0) & (squared <= limit_squared))) return;
        const double d = std::sqrt(squared);
        const std::uint64_t key = cell_key | static_cast<std::uint32_t>(id);
        // A tree hands out its points out of key order, so a full list also
        // takes a point equal in distance to its last one but earlier in key.
        const bool full = top_count > planned_per_round;
        if (d < limit || (full && d == limit && key < top[planned_per_round].key)) keep(d, key, id);
    };
    std::int32_t pending[4 * 26];
    auto scan_tree = [&](std::int32_t root, std::uint64_t cell_key) {
        std::int32_t depth = 0;
        pending[depth++] = root;
        while (depth > 0) {
            const point_node& nd = grid.nodes[pending[--depth]];
            if (!edge.may_be_outside(nd.bounds) || edge.nearest(nd.bounds) > limit) continue;
            if (nd.first_child >= 0) {
                // Nearest child on top, so that the list fills with near
                // points early and the limit prunes the rest.
                double near[4];
                const std::int32_t base = depth;
                for (std::int32_t k = 0; k < nd.child_count; ++k) {
                    const double d = edge.nearest(grid.nodes[nd.first_child + k].bounds);
                    std::int32_t at = depth++;
                    for (; at > base && near[at - base - 1] < d; --at) {
                        near[at - base] = near[at - base - 1];
                        pending[at] = pending[at - 1];
                    }
                    near[at - base] = d;
                    pending[at] = nd.first_child + k;
                }
            } else if (nd.same_xy) {
                // As in the search: the first of points at one place stands for them all.
                offer_from_tree(
                    *std::min_element(&grid.node_ranks[nd.begin], &grid.node_ranks[nd.end]),
                    cell_key);
            } else {
                for (std::int32_t k = nd.begin; k < nd.end; ++k)
                    offer_from_tree(grid.node_ranks[k], cell_key);
            }
        }
    };
    auto scan_cell = [&](std::int32_t col, std::int32_t row) {
        const std::int32_t cell = col * n + row;
        const std::uint32_t cell_order = order++;
        const std::int32_t begin = grid.cell_start[cell], end = grid.cell_start[cell + 1];
        if (begin == end) return;
        const float* b = grid.bounds_of_cell(cell);
        if (!edge.may_be_outside(b)) return;
        if (!(edge.nearest(b) < limit)) return;
        const std::uint64_t cell_key = static_cast<std::uint64_t>(cell_order) << 32;
        if (end - begin > point_grid::crowded_cell) {
            scan_tree(grid.cell_tree[begin], cell_key);
            return;
        }
        // Points of a cell come in key order, after every point kept so far:
        // a point equal in distance to the last kept one stays out.
        for (std::int32_t id = begin; id < end; ++id) {
            const double cx = xy[id].x, cy = xy[id].y;
            const double dx = cx - mx, dy = cy - my;
            const double squared = dx * dx + dy * dy;
            if (!((ax * (cy - py) - ay * (cx - px) > 0) & (squared <= limit_squared))) continue;
            const double d = std::sqrt(squared);
            if (d < limit) keep(d, cell_key | static_cast<std::uint32_t>(id), id);
        }
    };
    auto never_skip = [](std::int32_t, std::int32_t, std::int32_t, std::int32_t) { return false; };
    // Closes a round; its reach is the expected point's distance.
    auto end_round = [&](int r, double cl) {
        const int kept = std::min(top_count, planned_per_round);
        const std::int32_t at = r == 0 ? 0 : plan.rounds[r - 1].end;
        for (int k = 0; k < kept; ++k) {
            plan.candidates[at + k] = {top[k].distance, top[k].index};
            double d = top[k].distance;
            for (double& slot : nearest)
                if (d < slot) std::swap(d, slot);
        }
        plan.rounds[r] = {cl, top_count > kept ? top[kept].distance : cap, at + kept};
        plan.round_count = static_cast<std::int8_t>(r + 1);
        top_count = 0;
        order = 0;
        cap = nearest[expected_rank - 1];
        limit = cap;
        limit_squared = limit * limit * (1 + face_tolerance::squared_rounding);
        return cap;
    };

    plan.exhausted = walk_rings(grid, edge, max_planned_rounds, scan_cell, never_skip, end_round) ==
                     walk_end::exhausted;
    plan.usable = true;
}

} // namespace tessaline::faces
