#include "face_index.h"

#include "band_edges.h"
#include "face_geometry.h"
#include "face_tolerances.h"
#include "packed_bounds.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace tessaline::faces {

face_index::face_index(const point_grid& grid, const front& faces, std::int32_t point_count)
    : front_(faces), xy_(grid.xy), side_scale_(grid.span) {
    const std::int32_t bands = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::ceil(std::sqrt(point_count / 8.0))), 1, 2048);
    margin_ = face_tolerance::filter_margin * ((static_cast<double>(grid.max_x) - grid.min_x) +
                                               (static_cast<double>(grid.max_y) - grid.min_y));
    // A few hundred points per band place the edges as well as all of them.
    // Bands finer than the margin would all be searched together: a speck of
    // points beside far ones takes one band, split below as it fills.
    const size_t most = 256 * static_cast<size_t>(bands);
    const auto& xy = grid.xy;
    col_band_ =
        band_lookup(band_edges(sorted_sample(xy.size(), most, [&](size_t k) { return xy[k].x; }),
                               grid.min_x, grid.max_x, bands, margin_));
    row_band_ =
        band_lookup(band_edges(sorted_sample(xy.size(), most, [&](size_t k) { return xy[k].y; }),
                               grid.min_y, grid.max_y, bands, margin_));
    cols_ = col_band_.count();
    rows_ = row_band_.count();
    for (std::int32_t col = 0; col < cols_; ++col)
        for (std::int32_t row = 0; row < rows_; ++row)
            add_bucket(col_band_.edges()[col], col_band_.edges()[col + 1], row_band_.edges()[row],
                       row_band_.edges()[row + 1], 0);
}

face_index::face_box face_index::box_of(std::int32_t t) const {
    const front_triangle& tri = front_[t];
    face_box box{INFINITY, -INFINITY, INFINITY, -INFINITY, t};
    for (std::int32_t c : tri.corner) {
        box.x0 = std::min(box.x0, xy_[c].x);
        box.x1 = std::max(box.x1, xy_[c].x);
        box.y0 = std::min(box.y0, xy_[c].y);
        box.y1 = std::max(box.y1, xy_[c].y);
    }
    return box;
}

void face_index::add_bucket(double x0, double x1, double y0, double y1, std::int32_t depth) {
    // A rectangle without width leaves every entry at step 0 on that axis.
    const double sx = x1 - x0 > 0 ? 65535 / (x1 - x0) : 0;
    const double sy = y1 - y0 > 0 ? 65535 / (y1 - y0) : 0;
    buckets_.push_back({x0,
                        x1,
                        y0,
                        y1,
                        std::isfinite(sx) ? sx : 0,
                        std::isfinite(sy) ? sy : 0,
                        {},
                        {},
                        -1,
                        depth,
                        64});
}

// The top buckets a segment passes (with the margin), row band by row band;
// stops where visit(bucket) returns true.
template <class Visit>
bool face_index::along_segment(const vector_2d& s0, const vector_2d& s1, Visit&& visit) const {
    const double margin = margin_;
    const double ax = s0.x, ay = s0.y, dx = static_cast<double>(s1.x) - s0.x,
                 dy = static_cast<double>(s1.y) - s0.y;
    const std::int32_t row0 = row_at(std::min<double>(s0.y, s1.y) - margin);
    const std::int32_t row1 = row_at(std::max<double>(s0.y, s1.y) + margin);
    for (std::int32_t row = row0; row <= row1; ++row) {
        double lo_x = std::min<double>(s0.x, s1.x), hi_x = std::max<double>(s0.x, s1.x);
        if (dy != 0 && row1 > row0) {
            // The part of the segment inside this row's band.
            const double band0 = row_band_.edges()[row] - margin;
            const double band1 = row_band_.edges()[row + 1] + margin;
            const double f0 = std::clamp((band0 - ay) / dy, 0.0, 1.0);
            const double f1 = std::clamp((band1 - ay) / dy, 0.0, 1.0);
            const double xa = ax + f0 * dx, xb = ax + f1 * dx;
            lo_x = std::max(lo_x, std::min(xa, xb));
            hi_x = std::min(hi_x, std::max(xa, xb));
        }
        const std::int32_t col0 = col_at(lo_x - margin);
        const std::int32_t col1 = col_at(hi_x + margin);
        for (std::int32_t col = col0; col <= col1; ++col)
            if (visit(col * rows_ + row)) return true;
    }
    return false;
}

void face_index::add(std::int32_t t) {
    const front_triangle& tri = front_[t];
    const face_box entry = box_of(t);
    const double x0 = entry.x0, x1 = entry.x1, y0 = entry.y0, y1 = entry.y1;
    const std::int32_t bx0 = col_at(x0), bx1 = col_at(x1);
    const std::int32_t by0 = row_at(y0), by1 = row_at(y1);
    if ((bx1 - bx0 + 1) * (by1 - by0 + 1) <= 4) {
        // A small face: the few buckets under its bounds.
        for (std::int32_t bx = bx0; bx <= bx1; ++bx)
            for (std::int32_t by = by0; by <= by1; ++by)
                insert_entry(bx * rows_ + by, entry);
        return;
    }
    // A crossing lies on an edge, so a large face goes only into the buckets
    // its edges pass through: a long thin face does not fill every bucket
    // under its bounds.
    for (int j = 0; j < 3; ++j) {
        const vector_2d& s0 = xy_[tri.corner[j]];
        const vector_2d& s1 = xy_[tri.corner[j == 2 ? 0 : j + 1]];
        along_segment(s0, s1, [&](std::int32_t node) {
            insert_entry(node, entry);
            return false;
        });
    }
}

bool face_index::edge_meets(std::int32_t t, const bucket_node& b) const {
    const std::int32_t* corner = front_[t].corner;
    const double margin = margin_;
    const double x0 = b.x0 - margin, x1 = b.x1 + margin, y0 = b.y0 - margin, y1 = b.y1 + margin;
    for (int j = 0; j < 3; ++j) {
        const vector_2d& s0 = xy_[corner[j]];
        const vector_2d& s1 = xy_[corner[j == 2 ? 0 : j + 1]];
        if (segment_meets_rect(s0.x, s0.y, s1.x, s1.y, x0, x1, y0, y1)) return true;
    }
    return false;
}

void face_index::insert_entry(std::int32_t node, const face_box& box) {
    if (buckets_[node].first_child >= 0) {
        // Only children under the face's bounds can meet it; when those are
        // few, they all take it (as the top grid does), else only those its
        // edges pass through.
        const std::int32_t first = buckets_[node].first_child;
        const double margin = margin_;
        std::int32_t under[16];
        std::int32_t count = 0;
        for (std::int32_t k = 0; k < 16; ++k) {
            const bucket_node& child = buckets_[first + k];
            if (child.x0 - margin <= box.x1 && child.x1 + margin >= box.x0 &&
                child.y0 - margin <= box.y1 && child.y1 + margin >= box.y0)
                under[count++] = first + k;
        }
        if (count > 4) {
            std::int32_t met = 0;
            for (std::int32_t k = 0; k < count; ++k)
                if (edge_meets(box.t, buckets_[under[k]])) under[met++] = under[k];
            // A face as large as the bucket stays with it rather than fill
            // many small buckets below (a long thin face along a crowded
            // curve would fill thousands).
            if (met > 4) {
                append_entry(node, box);
                return;
            }
            count = met;
        }
        for (std::int32_t k = 0; k < count; ++k)
            insert_entry(under[k], box);
        return;
    }
    append_entry(node, box);
    if (!splits_held_) split_crowded(node);
}

void face_index::append_entry(std::int32_t node, const face_box& box) {
    // Two edges of one face often pass the same bucket.
    {
        bucket_node& b = buckets_[node];
        if (!b.faces.empty() && b.faces.back() == box.t) return;
        // Kept a multiple of 8 words long, so that boxes are read 8 at a time.
        if (b.faces.size() % 8 == 0) b.bounds.resize(b.faces.size() + 8);
        b.bounds[b.faces.size()] =
            pack_steps(steps_below(box.x0, b.x0, b.scale_x), steps_above(box.x1, b.x0, b.scale_x),
                       steps_below(box.y0, b.y0, b.scale_y), steps_above(box.y1, b.y0, b.scale_y));
        b.faces.push_back(box.t);
    }
}

void face_index::split_crowded(std::int32_t node) {
    // Crowded points make crowded buckets; a full one splits in 4 x 4 so that
    // a crossing test still looks at a few triangles only.
    const auto count = static_cast<std::int32_t>(buckets_[node].faces.size());
    if (count <= buckets_[node].split_above) return;
    const double x0 = buckets_[node].x0, x1 = buckets_[node].x1, y0 = buckets_[node].y0,
                 y1 = buckets_[node].y1;
    const std::int32_t depth = buckets_[node].depth;
    // Splitting stops where the rectangle is as fine as 32-bit coordinates go.
    const double fine = face_tolerance::finest_bucket *
                        (std::fabs(x0) + std::fabs(x1) + std::fabs(y0) + std::fabs(y1));
    if (depth >= 16 || !(x1 - x0 > fine) || !(y1 - y0 > fine)) return;
    std::vector<std::int32_t> faces = std::move(buckets_[node].faces);
    std::vector<std::uint64_t> bounds = std::move(buckets_[node].bounds);
    buckets_[node].faces = {};
    buckets_[node].bounds = {};
    const auto first = static_cast<std::int32_t>(buckets_.size());
    const double w = (x1 - x0) / 4, h = (y1 - y0) / 4;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            add_bucket(x0 + i * w, x0 + (i + 1) * w, y0 + j * h, y0 + (j + 1) * h, depth + 1);
    buckets_[node].first_child = first;
    splits_held_ = true;
    for (std::int32_t t : faces)
        insert_entry(node, box_of(t));
    splits_held_ = false;
    std::size_t entries = 0;
    for (std::int32_t k = 0; k < 16; ++k)
        entries += buckets_[first + k].faces.size();
    if (entries > 3 * faces.size()) {
        // Faces long against the new buckets (a fan of thin ones, or chords
        // along a crowded curve) do not come apart however fine the split,
        // they only fill more buckets; the bucket stays whole, and tries
        // again once it has twice as many.
        buckets_.resize(static_cast<std::size_t>(first));
        bucket_node& b = buckets_[node];
        b.first_child = -1;
        b.faces = std::move(faces);
        b.bounds = std::move(bounds);
        b.split_above = 2 * count;
        return;
    }
    for (std::int32_t k = 0; k < 16; ++k)
        split_crowded(first + k);
}

// One call of segments_free: the segments P-C and Q-C, both tested in one
// pass over the buckets under them.
class face_index::crossing_query {
  public:
    crossing_query(face_index& index, const vector_2d& p, const vector_2d& q, const vector_2d& c)
        : ix_(index), c_(c), segs_{make(p), make(q)} {
        // A triangle sits in several buckets; a small set of the ones already
        // tested keeps that local (no table per triangle to touch). Its slots
        // carry the call's number, so it needs no clearing.
        if (++ix_.seen_generation_ == 0) {
            std::fill(std::begin(ix_.seen_slots_), std::end(ix_.seen_slots_), 0);
            ix_.seen_generation_ = 1;
        }
        generation_ = static_cast<std::uint64_t>(ix_.seen_generation_) << 32;
    }

    // Whether a remembered blocker blocks either segment; it moves to the
    // front.
    bool blocked_by_blocker();
    // The leaves under the candidate and under the edge's ends, looked at
    // first and skipped after: a blocked candidate is most often walled in
    // right around itself or right at the edge, which ends most blocked
    // tests at once, however long the segments are.
    bool blocked_at_ends();
    bool blocked_in_tree(std::int32_t root);
    // The top buckets that can hold a crossing: true when a face in one of
    // them blocks.
    template <class Visit> bool under_segments(Visit&& visit) const;

  private:
    struct segment {
        const vector_2d* a;
        double dx, dy, x0, x1, y0, y1, tol;
    };
    segment make(const vector_2d& a) const {
        const double ax = a.x, ay = a.y, cx = c_.x, cy = c_.y, margin = ix_.margin_;
        const double dx = cx - ax, dy = cy - ay;
        return {&a,
                dx,
                dy,
                std::min(ax, cx) - margin,
                std::max(ax, cx) + margin,
                std::min(ay, cy) - margin,
                std::max(ay, cy) + margin,
                face_tolerance::side_rounding * (std::fabs(dx) + std::fabs(dy)) * ix_.side_scale_};
    }
    bool crosses(std::int32_t t, int which) const {
        const segment& sg = segs_[which];
        return segment_crosses_triangle(ix_.xy_.data(), ix_.front_[t].corner, *sg.a, sg.dx, sg.dy,
                                        sg.tol);
    }
    // Whether a segment passes through a bucket (with the margin): the box
    // alone would take every bucket along a long slanting segment.
    bool overlaps(const bucket_node& b) const {
        const double m = ix_.margin_;
        for (const segment& sg : segs_)
            if (segment_meets_rect(sg.a->x, sg.a->y, c_.x, c_.y, b.x0 - m, b.x1 + m, b.y0 - m,
                                   b.y1 + m))
                return true;
        return false;
    }
    bool tested_first(std::int32_t node) const {
        return node == first_leaves_[0] || node == first_leaves_[1] || node == first_leaves_[2];
    }
    // Whether the triangle was tested in this call already; marks it if not.
    bool seen(std::int32_t t);
    bool blocked_in_leaf(const bucket_node& b);
    bool remember_blocker(std::int32_t t);

    face_index& ix_;
    const vector_2d& c_;
    const segment segs_[2];
    std::uint64_t generation_ = 0;
    std::int32_t first_leaves_[3] = {-1, -1, -1};
};

bool face_index::crossing_query::blocked_by_blocker() {
    // Triangles that blocked this edge's earlier candidates block most of
    // the later ones as well: all the points behind a wall at the edge.
    for (std::int32_t k = 0; k < ix_.blocker_count_; ++k) {
        const std::int32_t t = ix_.blockers_[k];
        if (crosses(t, 0) || crosses(t, 1)) {
            std::rotate(ix_.blockers_, ix_.blockers_ + k, ix_.blockers_ + k + 1);
            ++ix_.blocked_tests_;
            return true;
        }
    }
    return false;
}

bool face_index::crossing_query::remember_blocker(std::int32_t t) {
    ++ix_.blocked_tests_;
    ix_.blocker_count_ = std::min<std::int32_t>(ix_.blocker_count_ + 1, max_blockers);
    std::rotate(ix_.blockers_, ix_.blockers_ + ix_.blocker_count_ - 1,
                ix_.blockers_ + ix_.blocker_count_);
    ix_.blockers_[0] = t;
    return true;
}

bool face_index::crossing_query::seen(std::int32_t t) {
    const std::uint64_t key = generation_ | static_cast<std::uint32_t>(t);
    std::uint32_t slot = static_cast<std::uint32_t>(t) * 2654435761u >> 22;
    for (int probe = 0; probe < 16; ++probe, slot = (slot + 1) & 1023) {
        if (ix_.seen_slots_[slot] == key) return true;
        if (ix_.seen_slots_[slot] < generation_) {
            ix_.seen_slots_[slot] = key;
            return false;
        }
    }
    return false; // a full set only means a triangle may be tested twice
}

bool face_index::crossing_query::blocked_in_leaf(const bucket_node& b) {
    std::uint64_t limit[2]; // the segments' bounds in the bucket's steps
    for (int k = 0; k < 2; ++k)
        limit[k] = pack_steps(
            steps_above(segs_[k].x1, b.x0, b.scale_x), steps_below(segs_[k].x0, b.x0, b.scale_x),
            steps_above(segs_[k].y1, b.y0, b.scale_y), steps_below(segs_[k].y0, b.y0, b.scale_y));
    const auto size = static_cast<std::int32_t>(b.faces.size());
    for (std::int32_t chunk = 0; chunk < size; chunk += 64) {
        // The boxes are tested without branches; most meet neither segment.
        std::uint64_t meets[2];
        meeting(b.bounds.data() + chunk, std::min(64, size - chunk), limit, meets);
        for (std::uint64_t left = meets[0] | meets[1]; left != 0; left &= left - 1) {
            const int k = std::countr_zero(left);
            const std::int32_t t = b.faces[chunk + k];
            // The box is the same in every bucket, so a triangle seen once
            // has been tested against both segments already.
            if (seen(t)) continue;
            if (((meets[0] >> k & 1) && crosses(t, 0)) || ((meets[1] >> k & 1) && crosses(t, 1)))
                return remember_blocker(t);
        }
    }
    return false;
}

bool face_index::crossing_query::blocked_at_ends() {
    // Behind a wall, a blocker at the edge is worth more than one at the
    // candidate: it blocks the next candidates too.
    const bool walled = ix_.walled_in();
    const vector_2d* ends[3] = {walled ? segs_[0].a : &c_, segs_[1].a, walled ? &c_ : segs_[0].a};
    for (int k = 0; k < 3; ++k) {
        const std::int32_t node = ix_.leaf_under(*ends[k]);
        if (tested_first(node)) continue;
        if (blocked_in_leaf(ix_.buckets_[node])) return true;
        first_leaves_[k] = node;
    }
    return false;
}

bool face_index::crossing_query::blocked_in_tree(std::int32_t root) {
    const auto& buckets = ix_.buckets_;
    if (buckets[root].first_child < 0) return !tested_first(root) && blocked_in_leaf(buckets[root]);
    std::vector<std::int32_t>& stack = ix_.node_stack_;
    stack.assign(1, root);
    while (!stack.empty()) {
        const std::int32_t index = stack.back();
        const bucket_node& b = buckets[index];
        stack.pop_back();
        if (b.first_child < 0) {
            if (!tested_first(index) && blocked_in_leaf(b)) return true;
            continue;
        }
        if (!b.faces.empty() && blocked_in_leaf(b)) return true; // the bucket's own large faces
        for (std::int32_t k = 15; k >= 0; --k)
            if (overlaps(buckets[b.first_child + k])) stack.push_back(b.first_child + k);
    }
    return false;
}

template <class Visit> bool face_index::crossing_query::under_segments(Visit&& visit) const {
    // A crossing point lies on a segment and in the triangle's bounds, so
    // only buckets under the segments (with a margin for rounding) matter.
    const face_index& ix = ix_;
    const std::int32_t col0 = ix.col_at(std::min(segs_[0].x0, segs_[1].x0));
    const std::int32_t col1 = ix.col_at(std::max(segs_[0].x1, segs_[1].x1));
    const std::int32_t row0 = ix.row_at(std::min(segs_[0].y0, segs_[1].y0));
    const std::int32_t row1 = ix.row_at(std::max(segs_[0].y1, segs_[1].y1));
    if ((col1 - col0 + 1) * (row1 - row0 + 1) <= 9) {
        // Short segments: the few buckets under both are cheaper than bands.
        for (std::int32_t col = col0; col <= col1; ++col)
            for (std::int32_t row = row0; row <= row1; ++row)
                if (visit(col * ix.rows_ + row)) return true;
        return false;
    }
    for (const segment& sg : segs_)
        if (ix.along_segment(*sg.a, c_, visit)) return true;
    return false;
}

bool face_index::segments_free(const vector_2d& p, const vector_2d& q, const vector_2d& c) {
    crossing_query query(*this, p, q, c);
    if (query.blocked_by_blocker() || query.blocked_at_ends()) return false;
    return !query.under_segments([&](std::int32_t node) { return query.blocked_in_tree(node); });
}

std::int32_t face_index::leaf_under(const vector_2d& v) const {
    std::int32_t node = col_at(v.x) * rows_ + row_at(v.y);
    while (buckets_[node].first_child >= 0) {
        const bucket_node& b = buckets_[node];
        const std::int32_t i = clamped_index(v.x - b.x0, (b.x1 - b.x0) / 4, 4);
        const std::int32_t j = clamped_index(v.y - b.y0, (b.y1 - b.y0) / 4, 4);
        node = b.first_child + i * 4 + j;
    }
    return node;
}

bool face_index::box_blocked(const float* b, const vector_2d& p, const vector_2d& q) const {
    // Every point C of the box is blocked when one edge S->E of a blocker
    // crosses A->C (A one end of the searched edge) well inside both: the
    // crossing parameters t (along A->C) and u (along S->E) are ratios of
    // cross products that are constant or linear in C, so holding at the
    // box's corners with a wide margin they hold for every point in it, as
    // the crossing test computes them.
    const double corners[4][2] = {{b[0], b[2]}, {b[0], b[3]}, {b[1], b[2]}, {b[1], b[3]}};
    constexpr double margin = face_tolerance::filter_margin, t_max = face_tolerance::crossing_t_max;
    for (const vector_2d* end : {&p, &q}) {
        const double ax = end->x, ay = end->y;
        double reach = 0; // largest |C - A| (1-norm) over the box
        for (const auto& c : corners)
            reach = std::max(reach, std::fabs(c[0] - ax) + std::fabs(c[1] - ay));
        for (std::int32_t k = 0; k < blocker_count_; ++k) {
            const std::int32_t* corner = front_[blockers_[k]].corner;
            for (int j = 0; j < 3; ++j) {
                const vector_2d& s = xy_[corner[j]];
                const vector_2d& e = xy_[corner[j == 2 ? 0 : j + 1]];
                const double d2x = static_cast<double>(e.x) - s.x,
                             d2y = static_cast<double>(e.y) - s.y;
                const double wx = s.x - ax, wy = s.y - ay;
                const double num_t = d2x * wy - d2y * wx;
                if (num_t == 0) continue;
                const double sign = num_t > 0 ? 1 : -1;
                const double size_d2 = std::fabs(d2x) + std::fabs(d2y);
                const double size_w = std::fabs(wx) + std::fabs(wy);
                const double den_margin = margin * (size_d2 * reach + size_d2 * size_w);
                const double u_margin = margin * size_w * reach;
                const double both_margin = margin * (size_d2 + size_w) * reach;
                bool all = true;
                for (const auto& c : corners) {
                    const double cx = c[0] - ax, cy = c[1] - ay;
                    const double den = sign * (d2x * cy - d2y * cx);
                    const double num_u = sign * (cx * wy - cy * wx);
                    if (!(t_max * den - std::fabs(num_t) > den_margin && num_u > u_margin &&
                          t_max * den - num_u > both_margin)) {
                        all = false;
                        break;
                    }
                }
                if (all) return true;
            }
        }
    }
    return false;
}

} // namespace tessaline::faces
