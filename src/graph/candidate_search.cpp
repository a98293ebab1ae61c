#include "candidate_search.h"

#include "ring_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaline::faces {

candidate_search::candidate_search(const point_grid& grid, face_index& faces)
    : grid_(grid), faces_(faces), scan_buffer_(point_grid::crowded_cell) {}

std::int32_t candidate_search::find(std::int32_t from, std::int32_t to) {
    const edge_frame edge = grid_.frame(from, to);
    const vector_2d &p = edge.p, &q = edge.q;
    const double mx = edge.mx, my = edge.my, ax = edge.ax, ay = edge.ay;
    const std::int32_t n = grid_.grid_size;
    const std::vector<vector_2d>& xy = grid_.xy;
    const std::vector<std::int32_t>& cell_start = grid_.cell_start;
    const std::vector<std::int32_t>& node_ranks = grid_.node_ranks;

    std::int32_t best = -1;
    double best_distance = grid_.far_distance;

    // One round hands out candidates nearest first, the first handed out
    // among equal distances (cell order in the round, then id); testing in
    // that order runs the crossing test only where it can decide the result.
    // Crowded cells are searched through a tree of their points instead of
    // point by point.
    std::uint32_t order = 0;
    bool heap_mode = false; // candidates kept as a heap once a round has tree nodes
    round_candidates_.clear();
    round_nodes_.clear();
    auto by_distance = [](const queued& a, const queued& b) {
        return a.distance > b.distance || (a.distance == b.distance && a.key > b.key);
    };
    const double px = p.x, py = p.y;
    auto offer_point = [&](std::int32_t id, std::uint32_t cell_order) {
        const double cx = xy[id].x, cy = xy[id].y;
        if (!(ax * (cy - py) - ay * (cx - px) > 0)) return;
        const double dx = cx - mx, dy = cy - my;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (!(d < best_distance)) return;
        round_candidates_.push_back(
            {d, static_cast<std::uint64_t>(cell_order) << 32 | static_cast<std::uint32_t>(id), id});
        if (heap_mode)
            std::push_heap(round_candidates_.begin(), round_candidates_.end(), by_distance);
    };
    auto offer_node = [&](std::int32_t node, std::uint32_t cell_order) {
        const point_node& nd = grid_.nodes[node];
        if (!edge.may_be_outside(nd.bounds)) return;
        const double d = edge.nearest(nd.bounds);
        if (!(d < best_distance)) return;
        round_nodes_.push_back({d, cell_order, node});
        std::push_heap(round_nodes_.begin(), round_nodes_.end(), by_distance);
    };
    auto scan_cell = [&](std::int32_t col, std::int32_t row) {
        const std::int32_t cell = col * n + row;
        const std::uint32_t cell_order = order++;
        if (cell_start[cell] == cell_start[cell + 1]) return;
        const float* b = grid_.bounds_of_cell(cell);
        if (!edge.may_be_outside(b)) return;
        if (best >= 0 && !(edge.nearest(b) < best_distance)) return;
        if (faces_.walled_in() && faces_.box_blocked(b, p, q)) return;
        if (cell_start[cell + 1] - cell_start[cell] > point_grid::crowded_cell) {
            offer_node(grid_.cell_tree[cell_start[cell]], cell_order);
            return;
        }
        // Without branches: about half of the points lie on the inner side,
        // which a branch would guess wrong half of the time.
        queued* out = scan_buffer_.data();
        const vector_2d* pts = xy.data();
        const double limit = best_distance;
        const std::uint64_t key = static_cast<std::uint64_t>(cell_order) << 32;
        std::int32_t kept = 0;
        for (std::int32_t id = cell_start[cell], end = cell_start[cell + 1]; id < end; ++id) {
            const double cx = pts[id].x, cy = pts[id].y;
            const double dx = cx - mx, dy = cy - my;
            const double d = std::sqrt(dx * dx + dy * dy);
            out[kept] = {d, key | static_cast<std::uint32_t>(id), id};
            kept += (ax * (cy - py) - ay * (cx - px) > 0) & (d < limit);
        }
        round_candidates_.insert(round_candidates_.end(), out, out + kept);
    };
    // Behind a wall, whole runs of cells the blockers cover are passed over
    // at once; runs that cannot hold a candidate are too.
    auto skip_run = [&](std::int32_t col0, std::int32_t col1, std::int32_t row0,
                        std::int32_t row1) {
        if (!faces_.walled_in()) return false;
        float b[4] = {INFINITY, -INFINITY, INFINITY, -INFINITY};
        for (std::int32_t col = col0; col <= col1; ++col)
            for (std::int32_t row = row0; row <= row1; ++row) {
                const std::int32_t cell = col * n + row;
                if (cell_start[cell] == cell_start[cell + 1]) continue;
                const float* cb = grid_.bounds_of_cell(cell);
                b[0] = std::min(b[0], cb[0]);
                b[1] = std::max(b[1], cb[1]);
                b[2] = std::min(b[2], cb[2]);
                b[3] = std::max(b[3], cb[3]);
            }
        if (!(b[0] <= b[1])) return true; // no points
        return !edge.may_be_outside(b) || (best >= 0 && !(edge.nearest(b) < best_distance)) ||
               faces_.box_blocked(b, p, q);
    };
    auto try_candidate = [&](const queued& c) {
        // A plan that fell short has tested some points already; the mesh
        // has not changed since.
        for (std::int32_t k = 0; k < tested_count_; ++k)
            if (tested_[k].index == c.index) {
                if (!tested_[k].free) return false;
                best = c.index;
                best_distance = c.distance;
                return true;
            }
        if (!faces_.segments_free(p, q, xy[c.index])) return false;
        best = c.index;
        best_distance = c.distance;
        return true;
    };
    auto settle_round = [&]() {
        if (round_nodes_.empty()) {
            // No crowded cell: the candidates came in handout order, and the
            // first one is usually free, so a few minimum picks beat a heap.
            auto& list = round_candidates_;
            bool settled = false;
            for (int picks = 0; picks < 8 && !list.empty() && !settled; ++picks) {
                size_t m = 0;
                for (size_t k = 1; k < list.size(); ++k)
                    if (list[k].distance < list[m].distance) m = k;
                if (!(list[m].distance < best_distance) || try_candidate(list[m]))
                    settled = true;
                else
                    list.erase(list.begin() + static_cast<std::ptrdiff_t>(m));
            }
            if (!settled) {
                std::stable_sort(list.begin(), list.end(), [](const queued& a, const queued& b) {
                    return a.distance < b.distance;
                });
                for (const queued& c : list)
                    if (!(c.distance < best_distance) || try_candidate(c)) break;
            }
            list.clear();
            order = 0;
            return;
        }
        heap_mode = true;
        std::make_heap(round_candidates_.begin(), round_candidates_.end(), by_distance);
        while (true) {
            const double node_distance =
                round_nodes_.empty() ? INFINITY : round_nodes_.front().distance;
            if (!round_candidates_.empty() && round_candidates_.front().distance < node_distance) {
                std::pop_heap(round_candidates_.begin(), round_candidates_.end(), by_distance);
                const queued c = round_candidates_.back();
                round_candidates_.pop_back();
                if (!(c.distance < best_distance) || try_candidate(c)) break;
                continue;
            }
            if (round_nodes_.empty()) break;
            std::pop_heap(round_nodes_.begin(), round_nodes_.end(), by_distance);
            const queued nq = round_nodes_.back();
            round_nodes_.pop_back();
            if (!(nq.distance < best_distance)) break;
            const auto cell_order = static_cast<std::uint32_t>(nq.key);
            const point_node& nd = grid_.nodes[nq.index];
            if (faces_.walled_in() && faces_.box_blocked(nd.bounds, p, q)) continue;
            if (nd.first_child >= 0) {
                for (std::int32_t k = 0; k < nd.child_count; ++k)
                    offer_node(nd.first_child + k, cell_order);
            } else if (nd.same_xy) {
                // Points at one place are all free or all blocked: the first
                // handed out stands for them all.
                offer_point(*std::min_element(&node_ranks[nd.begin], &node_ranks[nd.end]),
                            cell_order);
            } else {
                for (std::int32_t k = nd.begin; k < nd.end; ++k)
                    offer_point(node_ranks[k], cell_order);
            }
        }
        round_candidates_.clear();
        round_nodes_.clear();
        order = 0;
        heap_mode = false;
    };
    auto end_round = [&](int, double) {
        settle_round();
        return best_distance;
    };
    walk_rings(grid_, edge, std::numeric_limits<int>::max(), scan_cell, skip_run, end_round);
    return best;
}

std::int32_t candidate_search::from_plan(std::int32_t from, std::int32_t to,
                                         const edge_plan& plan) {
    // find's decisions, taken on the planned rounds.
    const vector_2d& p = grid_.xy[from];
    const vector_2d& q = grid_.xy[to];
    std::int32_t best = -1;
    double best_distance = grid_.far_distance;
    std::int32_t k = 0;
    tested_count_ = 0;
    for (int r = 0; r < plan.round_count; ++r) {
        const planned_round& round = plan.rounds[r];
        bool settled = false;
        for (; k < round.end; ++k) {
            const planned_candidate& c = plan.candidates[k];
            if (!(c.distance < best_distance)) {
                settled = true;
                break;
            }
            const bool free = faces_.segments_free(p, q, grid_.xy[c.index]);
            tested_[tested_count_++] = {c.index, free};
            if (free) {
                best = c.index;
                best_distance = c.distance;
                settled = true;
                break;
            }
        }
        // The candidates left out matter only when every planned one is
        // blocked and they may be nearer than the best so far.
        if (!settled && best_distance > round.cap) return -2;
        k = round.end;
        if (r == 0 ? !(best_distance > round.clearance) : best_distance <= round.clearance)
            return best;
    }
    return plan.exhausted ? best : -2;
}

} // namespace tessaline::faces
