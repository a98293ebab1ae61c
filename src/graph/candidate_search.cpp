#include "candidate_search.h"

#include "ring_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaline::faces {

candidate_search::candidate_search(const point_grid& grid, face_index& faces)
    : grid_(grid), faces_(faces), scan_buffer_(point_grid::crowded_cell) {}

class candidate_search::edge_search {
  public:
    edge_search(candidate_search& owner, const edge_frame& edge)
        : s_(owner), grid_(owner.grid_), faces_(owner.faces_), edge_(edge),
          literal_start_(
              owner.grid_.literal.start(edge.mx, edge.my, owner.grid_.min_x, owner.grid_.min_y)),
          best_distance_(owner.grid_.far_distance) {}

    std::int32_t run() {
        s_.round_candidates_.clear();
        s_.round_nodes_.clear();
        auto scan = [this](std::int32_t col, std::int32_t row) { scan_cell(col, row); };
        auto skip = [this](const float* bounds) { return skip_block(bounds); };
        auto end_round = [this](int, double) {
            settle_round();
            return best_distance_;
        };
        walk_rings(grid_, edge_, std::numeric_limits<int>::max(), scan, skip, end_round);
        return best_;
    }

  private:
    // The nearest first; among equal distances the one the literal search
    // hands out first.
    bool before(const queued& a, const queued& b) const {
        return a.distance < b.distance ||
               (a.distance == b.distance && grid_.literal_before(a.index, b.index, literal_start_));
    }
    // Heap order of points: the first on top.
    auto later() const {
        return [this](const queued& a, const queued& b) { return before(b, a); };
    }
    // Heap order of tree nodes: the nearest on top, then handout order.
    static bool node_later(const queued& a, const queued& b) {
        return a.distance > b.distance || (a.distance == b.distance && a.key > b.key);
    }
    // Whether a point at distance d would come before the best so far.
    bool beats_best(double d, std::int32_t rank) const {
        return d < best_distance_ || (d == best_distance_ && best_ >= 0 &&
                                      grid_.literal_before(rank, best_, literal_start_));
    }
    bool on_outer_side(double x, double y) const {
        return edge_.ax * (y - edge_.p.y) - edge_.ay * (x - edge_.p.x) > 0;
    }
    // Whether a point within the bounds may be a candidate before the best
    // so far.
    bool may_hold_candidate(const float* b) const {
        return edge_.may_be_outside(b) && (best_ < 0 || edge_.nearest(b) <= best_distance_);
    }

    void offer_point(std::int32_t rank, std::uint32_t cell_order);
    void offer_node(std::int32_t node, std::uint32_t cell_order);
    void scan_cell(std::int32_t col, std::int32_t row);
    bool skip_block(const float* bounds) const;
    bool try_candidate(const queued& c);
    void settle_round();
    void settle_points();
    void settle_points_and_nodes();

    candidate_search& s_;
    const point_grid& grid_;
    face_index& faces_;
    const edge_frame& edge_;
    const std::pair<std::int32_t, std::int32_t> literal_start_;
    std::int32_t best_ = -1;
    double best_distance_;
    // One round hands out candidates nearest first; testing in that order
    // runs the crossing test only where it can decide the result.
    std::uint32_t order_ = 0;
    bool heap_mode_ = false; // candidates kept as a heap once a round has tree nodes
};

void candidate_search::edge_search::offer_point(std::int32_t rank, std::uint32_t cell_order) {
    const double cx = grid_.xy[rank].x, cy = grid_.xy[rank].y;
    if (!on_outer_side(cx, cy)) return;
    const double dx = cx - edge_.mx, dy = cy - edge_.my;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (!beats_best(d, rank)) return;
    auto& list = s_.round_candidates_;
    list.push_back(
        {d, static_cast<std::uint64_t>(cell_order) << 32 | static_cast<std::uint32_t>(rank), rank});
    if (heap_mode_) std::push_heap(list.begin(), list.end(), later());
}

void candidate_search::edge_search::offer_node(std::int32_t node, std::uint32_t cell_order) {
    const point_node& nd = grid_.nodes[node];
    if (!edge_.may_be_outside(nd.bounds)) return;
    const double d = edge_.nearest(nd.bounds);
    if (!(d <= best_distance_)) return;
    s_.round_nodes_.push_back({d, cell_order, node});
    std::push_heap(s_.round_nodes_.begin(), s_.round_nodes_.end(), node_later);
}

void candidate_search::edge_search::scan_cell(std::int32_t col, std::int32_t row) {
    const std::int32_t cell = grid_.cell_index(col, row);
    const std::uint32_t cell_order = order_++;
    const std::int32_t begin = grid_.cell_start[cell], end = grid_.cell_start[cell + 1];
    if (begin == end) return;
    const float* b = grid_.bounds_of_cell(cell);
    if (!may_hold_candidate(b)) return;
    if (faces_.walled_in() && faces_.box_blocked(b, edge_.p, edge_.q)) return;
    // Crowded cells are searched through a tree of their points.
    if (end - begin > point_grid::crowded_cell) {
        offer_node(grid_.cell_tree[begin], cell_order);
        return;
    }
    // Without branches: about half of the points lie on the inner side,
    // which a branch would guess wrong half of the time.
    queued* out = s_.scan_buffer_.data();
    const vector_2d* pts = grid_.xy.data();
    const double mx = edge_.mx, my = edge_.my, ax = edge_.ax, ay = edge_.ay;
    const double px = edge_.p.x, py = edge_.p.y;
    const double limit = best_distance_;
    const std::uint64_t key = static_cast<std::uint64_t>(cell_order) << 32;
    std::int32_t kept = 0;
    for (std::int32_t id = begin; id < end; ++id) {
        const double cx = pts[id].x, cy = pts[id].y;
        const double dx = cx - mx, dy = cy - my;
        const double d = std::sqrt(dx * dx + dy * dy);
        out[kept] = {d, key | static_cast<std::uint32_t>(id), id};
        kept += (ax * (cy - py) - ay * (cx - px) > 0) & (d <= limit);
    }
    s_.round_candidates_.insert(s_.round_candidates_.end(), out, out + kept);
}

// A block of cells that cannot hold a candidate before the best so far is
// passed over; behind a wall, so is one the blockers cover.
bool candidate_search::edge_search::skip_block(const float* b) const {
    return !may_hold_candidate(b) ||
           (faces_.walled_in() && faces_.box_blocked(b, edge_.p, edge_.q));
}

bool candidate_search::edge_search::try_candidate(const queued& c) {
    // A plan that fell short has tested some points already; the faces have
    // not changed since.
    bool free = false, known = false;
    for (std::int32_t k = 0; k < s_.tested_count_ && !known; ++k)
        if (s_.tested_[k].index == c.index) {
            known = true;
            free = s_.tested_[k].free;
        }
    if (!known) free = faces_.segments_free(edge_.p, edge_.q, grid_.xy[c.index]);
    if (!free) return false;
    best_ = c.index;
    best_distance_ = c.distance;
    return true;
}

void candidate_search::edge_search::settle_round() {
    if (s_.round_nodes_.empty())
        settle_points();
    else
        settle_points_and_nodes();
    s_.round_candidates_.clear();
    s_.round_nodes_.clear();
    order_ = 0;
    heap_mode_ = false;
}

void candidate_search::edge_search::settle_points() {
    // No crowded cell: the candidates came in handout order, and the first
    // one is usually free, so a few minimum picks beat a heap.
    auto& list = s_.round_candidates_;
    for (int picks = 0; picks < 8 && !list.empty(); ++picks) {
        size_t m = 0;
        for (size_t k = 1; k < list.size(); ++k)
            if (list[k].distance <= list[m].distance && before(list[k], list[m])) m = k;
        if (!beats_best(list[m].distance, list[m].index) || try_candidate(list[m])) return;
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(m));
    }
    std::sort(list.begin(), list.end(),
              [this](const queued& a, const queued& b) { return before(a, b); });
    for (const queued& c : list)
        if (!beats_best(c.distance, c.index) || try_candidate(c)) return;
}

void candidate_search::edge_search::settle_points_and_nodes() {
    auto& points = s_.round_candidates_;
    auto& nodes = s_.round_nodes_;
    heap_mode_ = true;
    std::make_heap(points.begin(), points.end(), later());
    while (true) {
        const double node_distance = nodes.empty() ? INFINITY : nodes.front().distance;
        if (!points.empty() && points.front().distance < node_distance) {
            std::pop_heap(points.begin(), points.end(), later());
            const queued c = points.back();
            points.pop_back();
            if (!beats_best(c.distance, c.index) || try_candidate(c)) return;
            continue;
        }
        if (nodes.empty()) return;
        std::pop_heap(nodes.begin(), nodes.end(), node_later);
        const queued nq = nodes.back();
        nodes.pop_back();
        if (!(nq.distance <= best_distance_)) return;
        const auto cell_order = static_cast<std::uint32_t>(nq.key);
        const point_node& nd = grid_.nodes[nq.index];
        if (faces_.walled_in() && faces_.box_blocked(nd.bounds, edge_.p, edge_.q)) continue;
        const std::int32_t* ranks = grid_.node_ranks.data();
        if (nd.first_child >= 0) {
            for (std::int32_t k = 0; k < nd.child_count; ++k)
                offer_node(nd.first_child + k, cell_order);
        } else if (nd.same_xy) {
            // Points at one place are all free or all blocked: the first
            // handed out stands for them all.
            offer_point(*std::min_element(ranks + nd.begin, ranks + nd.end), cell_order);
        } else {
            for (std::int32_t k = nd.begin; k < nd.end; ++k)
                offer_point(ranks[k], cell_order);
        }
    }
}

std::int32_t candidate_search::find(std::int32_t from, std::int32_t to) {
    const edge_frame edge = grid_.frame(from, to);
    return edge_search(*this, edge).run();
}

std::int32_t candidate_search::from_plan(std::int32_t from, std::int32_t to,
                                         const edge_plan& plan) {
    // find's decisions, taken on the planned rounds. The plan orders equal
    // distances by its own cells, not the literal search's: any tie that
    // could decide the result is left to find.
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
            if (c.distance == best_distance ||
                (k > 0 && c.distance == plan.candidates[k - 1].distance))
                return -2;
            if (!(c.distance < best_distance)) {
                settled = true;
                break;
            }
            const bool free = faces_.segments_free(p, q, grid_.xy[c.index]);
            tested_[tested_count_++] = {c.index, free};
            if (free) {
                if (k + 1 < round.end && plan.candidates[k + 1].distance == c.distance) return -2;
                best = c.index;
                best_distance = c.distance;
                settled = true;
                break;
            }
        }
        if (best >= 0 && (best_distance == round.cap || best_distance == round.clearance))
            return -2;
        // The candidates left out matter only when every planned one is
        // blocked and they may be nearer than the best so far.
        if (!settled && best_distance > round.cap) return -2;
        k = round.end;
        if (best_distance < round.clearance) return best;
    }
    return plan.exhausted ? best : -2;
}

} // namespace tessaline::faces
