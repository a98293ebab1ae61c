#include "poligondef.h"

#include "cells.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <system_error>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaline {

namespace {

template <class A, class B, class C> double cross_from(const A& p, const B& q, const C& c) {
    return (static_cast<double>(q.x) - p.x) * (static_cast<double>(c.y) - p.y) -
           (static_cast<double>(q.y) - p.y) * (static_cast<double>(c.x) - p.x);
}

// Bucket or cell index of a coordinate, clamped to 0 .. n - 1 (also for an
// undefined quotient from a degenerate extent).
std::int32_t clamped_index(double offset, double size, std::int32_t n) {
    const double q = std::floor(offset / size);
    if (!(q >= 0)) return 0;
    if (!(q < n)) return n - 1;
    return static_cast<std::int32_t>(q);
}

// Hoare quicksort over distance, pivot in the middle, done lazily: only the
// parts that can reach a requested index are partitioned. Parts are disjoint,
// so the order they are sorted in does not change where equal distances end.
class lazy_distance_sort {
  public:
    explicit lazy_distance_sort(std::vector<distance_idx>& list) : list_(list) {
        if (list.size() > 1) pending_.push_back({0, static_cast<std::int32_t>(list.size()) - 1});
    }
    const distance_idx& at(std::int32_t k) {
        while (!pending_.empty() && pending_.back().first <= k) {
            auto [lo, hi] = pending_.back();
            pending_.pop_back();
            const double pivot = list_[(lo + hi) / 2].distance;
            std::int32_t i = lo, j = hi;
            do {
                while (list_[i].distance < pivot)
                    ++i;
                while (list_[j].distance > pivot)
                    --j;
                if (i <= j) {
                    std::swap(list_[i], list_[j]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            // Lower part on top, so the top always starts lowest.
            if (i < hi) pending_.push_back({i, hi});
            if (lo < j) pending_.push_back({lo, j});
        }
        return list_[k];
    }

  private:
    std::vector<distance_idx>& list_;
    std::vector<std::pair<std::int32_t, std::int32_t>> pending_;
};

// A coordinate in steps of a bucket, rounded down or up and clamped to
// 0 .. 65535. Both are monotone in the coordinate, so bounds that overlap
// still overlap in steps.
std::uint16_t steps_below(double v, double origin, double scale) {
    const double q = (v - origin) * scale;
    if (!(q > 0)) return 0;
    if (!(q < 65535)) return 65535;
    return static_cast<std::uint16_t>(q);
}
std::uint16_t steps_above(double v, double origin, double scale) {
    const double q = (v - origin) * scale;
    if (!(q > 0)) return 0;
    if (!(q < 65535)) return 65535;
    const auto t = static_cast<std::uint16_t>(q);
    return static_cast<std::uint16_t>(t + (t < q));
}

// Bounds in steps as four 16-bit lanes: x0, 65535 - x1, y0, 65535 - y1, each
// with its top bit flipped so that signed compares order them as unsigned.
// Bounds B meet a query Q when no lane of B exceeds the same lane of
// pack_steps(Q.x1, Q.x0, Q.y1, Q.y0).
std::uint64_t pack_steps(std::uint16_t x0, std::uint16_t x1, std::uint16_t y0, std::uint16_t y1) {
    auto lane = [](unsigned v, int k) {
        return static_cast<std::uint64_t>((v ^ 0x8000u) & 0xFFFFu) << (16 * k);
    };
    return lane(x0, 0) | lane(65535u - x1, 1) | lane(y0, 2) | lane(65535u - y1, 3);
}

// Bit k of meets[s] tells whether bounds[k] meets the query packed in
// limit[s], for k < count <= 64; bounds holds count rounded up to 8 words.
void meeting(const std::uint64_t* bounds, int count, const std::uint64_t limit[2],
             std::uint64_t meets[2]) {
    meets[0] = meets[1] = 0;
#if defined(__SSE2__)
    const __m128i l0 = _mm_set1_epi64x(static_cast<long long>(limit[0]));
    const __m128i l1 = _mm_set1_epi64x(static_cast<long long>(limit[1]));
    const __m128i zero = _mm_setzero_si128();
    auto load = [&](int k) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bounds + k));
    };
    // Eight boxes at a time: a lane that exceeds the limit leaves a non-zero
    // byte in its box's four, and a box meets the query where all four are zero.
    auto eight = [&](const __m128i e[4], __m128i l) {
        const __m128i low = _mm_packs_epi16(_mm_cmpgt_epi16(e[0], l), _mm_cmpgt_epi16(e[1], l));
        const __m128i high = _mm_packs_epi16(_mm_cmpgt_epi16(e[2], l), _mm_cmpgt_epi16(e[3], l));
        const __m128i free =
            _mm_packs_epi32(_mm_cmpeq_epi32(low, zero), _mm_cmpeq_epi32(high, zero));
        return static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_packs_epi16(free, zero)));
    };
    for (int k = 0; k < count; k += 8) {
        const __m128i e[4] = {load(k), load(k + 2), load(k + 4), load(k + 6)};
        meets[0] |= eight(e, l0) << k;
        meets[1] |= eight(e, l1) << k;
    }
#else
    for (int k = 0; k < count; ++k)
        for (int s = 0; s < 2; ++s) {
            bool meets_all = true;
            for (int lane = 0; lane < 4; ++lane)
                meets_all &= static_cast<std::int16_t>(bounds[k] >> (16 * lane)) <=
                             static_cast<std::int16_t>(limit[s] >> (16 * lane));
            meets[s] |= static_cast<std::uint64_t>(meets_all) << k;
        }
#endif
    if (count < 64) {
        const std::uint64_t valid = (std::uint64_t{1} << count) - 1;
        meets[0] &= valid;
        meets[1] &= valid;
    }
}

} // namespace

poligondef::poligondef(std::int32_t point_count_, const gl_points_& points_, float max_x_,
                       float min_x_, float max_y_, float min_y_)
    : point_count(point_count_), points(points_), max_x(max_x_), min_x(min_x_), max_y(max_y_),
      min_y(min_y_) {
    const double w = static_cast<double>(max_x) - min_x, h = static_cast<double>(max_y) - min_y;
    far_distance = std::sqrt(w * w + h * h) + 1000;
}

poligondef::~poligondef() {
    stop_helper();
}

void poligondef::run() {
    if (seed_triangle()) grow();
}

triangles poligondef::get_triangles() const {
    // Corners are kept as ranks in the grid's cell order; give back point ids.
    triangles out(front.size());
    auto id = [this](std::int32_t rank) { return cell_ids.empty() ? rank : cell_ids[rank]; };
    for (size_t i = 0; i < front.size(); ++i)
        out[i] = {id(front[i].corner[0]), id(front[i].corner[1]), id(front[i].corner[2])};
    return out;
}

bool poligondef::seed_triangle() {
    if (point_count < 3) return false;
    const double cx = min_x + (static_cast<double>(max_x) - min_x) / 2;
    const double cy = min_y + (static_cast<double>(max_y) - min_y) / 2;
    std::vector<distance_idx> list(static_cast<size_t>(point_count));
    for (std::int32_t id = 0; id < point_count; ++id) {
        const double dx = cx - points[id].x, dy = cy - points[id].y;
        list[id] = {id, std::sqrt(dx * dx + dy * dy)};
    }
    lazy_distance_sort sorted(list);
    const std::int32_t first = sorted.at(0).id;
    std::int32_t second = -1;
    for (std::int32_t k = 1; k < point_count && second < 0; ++k)
        if (!same_xy(points[sorted.at(k).id], points[first])) second = sorted.at(k).id;
    if (second < 0) return false;
    std::int32_t third = -1;
    for (std::int32_t k = 2; k < point_count && third < 0; ++k) {
        const gl_point& c = points[sorted.at(k).id];
        if (!same_xy(c, points[first]) && !same_xy(c, points[second]) &&
            !collinear_xy(points[first], points[second], c))
            third = sorted.at(k).id;
    }
    if (third < 0) return false;
    xy = {{points[first].x, points[first].y},
          {points[second].x, points[second].y},
          {points[third].x, points[third].y}};
    seed[0] = first;
    seed[1] = second;
    seed[2] = third;
    add_triangle(0, 1, 2);
    return true;
}

void poligondef::add_triangle(std::int32_t a, std::int32_t b, std::int32_t c) {
    // Stored clockwise: swap the last two when (a, b, c) turns the other way.
    const vector_2d &pa = xy[a], &pb = xy[b], &pc = xy[c];
    const double o = (static_cast<double>(pb.x) - pa.x) * (static_cast<double>(pa.y) - pc.y) -
                     (static_cast<double>(pb.y) - pa.y) * (static_cast<double>(pa.x) - pc.x);
    if (!(o >= 0)) std::swap(b, c);
    // The helper reads the front in place, so it stops before the front moves.
    if (helper_thread.joinable() && front.size() == front.capacity()) stop_helper();
    front.push_back({{a, b, c}, 7, 0});
    if (buckets.empty()) return; // the seed, indexed once the grid exists
    const bool single_ab = count_edge(a, b) == 1;
    const bool single_bc = count_edge(b, c) == 1;
    const bool single_ca = count_edge(c, a) == 1;
    front.back().single = static_cast<std::uint8_t>(single_ab | single_bc << 1 | single_ca << 2);
    register_triangle(static_cast<std::int32_t>(front.size()) - 1);
    if (helper_thread.joinable())
        published.store(static_cast<std::int32_t>(front.size()), std::memory_order_release);
}

// ---- edge counts -----------------------------------------------------------

// Each undirected edge is kept at its lower point; most points hold a few, so
// a small fixed row per point keeps these lookups in cache. A full row passes
// the edge on to the higher point's row (where a lower other point tells it
// apart), then to a map. Rows only ever fill, so a row with a free slot ends
// the search.
std::uint8_t* poligondef::edge_slot(std::int32_t a, std::int32_t b, bool add) {
    const std::int32_t lo = std::min(a, b), hi = std::max(a, b);
    for (auto [at, other] : {std::pair{lo, hi}, std::pair{hi, lo}}) {
        edge_slots& row = edge_rows[at];
        for (int k = 0; k < edge_row; ++k) {
            if (row.to[k] == other) return &row.uses[k];
            if (row.to[k] < 0) {
                if (!add) return nullptr;
                row.to[k] = other;
                return &row.uses[k];
            }
        }
    }
    const std::uint64_t key = static_cast<std::uint64_t>(lo) << 32 | static_cast<std::uint32_t>(hi);
    if (add) return &edge_overflow[key];
    auto it = edge_overflow.find(key);
    return it == edge_overflow.end() ? nullptr : &it->second;
}

std::uint8_t poligondef::count_edge(std::int32_t a, std::int32_t b) {
    std::uint8_t& uses = *edge_slot(a, b, true);
    if (uses < 255) ++uses;
    return uses;
}

std::uint8_t poligondef::edge_use(std::int32_t a, std::int32_t b) {
    const std::uint8_t* uses = edge_slot(a, b, false);
    return uses ? *uses : 0;
}

void poligondef::close_shared_edges(std::int32_t i) {
    front_triangle& t = front[i];
    for (int j = 0; j < 3; ++j)
        if ((t.open >> j & 1) && edge_use(t.corner[j], t.corner[(j + 1) % 3]) >= 2)
            t.open &= static_cast<std::uint8_t>(~(1u << j));
}

// ---- point grid and hull ---------------------------------------------------

void poligondef::build_point_grid() {
    // Same side, cell size and refinement as the cell grid of the search, so
    // that rings, clearances and the order ids come in are the same.
    grid_size = initial_grid_size(points.size());
    std::vector<std::int32_t> cell(points.size());
    for (std::int32_t round = 1;; ++round) {
        cell_width = static_cast<float>((static_cast<double>(max_x) - min_x) / grid_size);
        cell_height = static_cast<float>((static_cast<double>(max_y) - min_y) / grid_size);
        const size_t cell_count = static_cast<size_t>(grid_size) * grid_size;
        cell_start.assign(cell_count + 1, 0);
        for (size_t id = 0; id < points.size(); ++id) {
            auto [col, row] = grid_cell_of(points[id].x, points[id].y, min_x, min_y, cell_width,
                                           cell_height, grid_size);
            cell[id] = col * grid_size + row;
            ++cell_start[cell[id] + 1];
        }
        const std::int32_t largest = *std::max_element(cell_start.begin(), cell_start.end());
        if (largest > max_points_per_cell && round < max_fill_rounds)
            grid_size *= 2;
        else
            break;
    }
    // Non-empty cells per run of row_block cells along each row.
    row_block_count = (grid_size + row_block - 1) / row_block;
    row_blocks.assign(static_cast<size_t>(grid_size) * row_block_count, 0);
    for (std::int32_t c = 0; c < grid_size * grid_size; ++c)
        if (cell_start[c + 1] != 0)
            ++row_blocks[static_cast<size_t>(c % grid_size) * row_block_count +
                         (c / grid_size) / row_block];
    for (size_t c = 1; c < cell_start.size(); ++c)
        cell_start[c] += cell_start[c - 1];
    cell_ids.resize(points.size());
    std::vector<std::int32_t> next(cell_start.begin(), cell_start.end() - 1);
    for (size_t id = 0; id < points.size(); ++id)
        cell_ids[next[cell[id]]++] = static_cast<std::int32_t>(id);
    // From here on a point is known by its rank in cell order, so that a
    // cell's points and the corners of nearby faces lie close in memory.
    xy.resize(points.size());
    for (size_t rank = 0; rank < points.size(); ++rank)
        xy[rank] = {points[cell_ids[rank]].x, points[cell_ids[rank]].y};
    for (size_t rank = 0; rank < points.size(); ++rank)
        for (std::int32_t& id : seed)
            if (cell_ids[rank] == id) id = -1 - static_cast<std::int32_t>(rank);
    for (std::int32_t& id : seed)
        id = -1 - id;

    // Bounds of a cell's points, kept at the cell's first rank: a crowded
    // grid has far more cells than points.
    cell_bounds.assign(points.size() * 4, 0);
    for (size_t c = 0; c + 1 < cell_start.size(); ++c) {
        if (cell_start[c] == cell_start[c + 1]) continue;
        float x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
        for (std::int32_t k = cell_start[c]; k < cell_start[c + 1]; ++k) {
            const vector_2d& p = xy[k];
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
        float* b = &cell_bounds[static_cast<size_t>(cell_start[c]) * 4];
        b[0] = x0;
        b[1] = x1;
        b[2] = y0;
        b[3] = y1;
    }
}

void poligondef::build_hull() {
    // Points inside the polygon of the eight extreme points cannot be hull
    // corners; dropping them first keeps the sort small.
    const double dirs[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                               {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    std::int32_t extreme[8] = {};
    double best[8];
    std::fill(std::begin(best), std::end(best), -INFINITY);
    for (std::int32_t id = 0; id < point_count; ++id)
        for (int k = 0; k < 8; ++k) {
            const double v = dirs[k][0] * xy[id].x + dirs[k][1] * xy[id].y;
            if (v > best[k]) {
                best[k] = v;
                extreme[k] = id;
            }
        }
    auto same = [](const vector_2d& a, const vector_2d& b) { return a.x == b.x && a.y == b.y; };
    std::vector<vector_2d> ring;
    for (int k = 0; k < 8; ++k) {
        const vector_2d& p = xy[extreme[k]];
        if (ring.empty() || !same(ring.back(), p)) ring.push_back(p);
    }
    while (ring.size() > 1 && same(ring.front(), ring.back()))
        ring.pop_back();
    const double span = (static_cast<double>(max_x) - min_x) + (static_cast<double>(max_y) - min_y);
    std::vector<vector_2d> rest;
    for (const vector_2d& p : xy) {
        bool inside = ring.size() >= 3;
        for (size_t k = 0; inside && k < ring.size(); ++k) {
            const vector_2d& a = ring[k];
            const vector_2d& b = ring[(k + 1) % ring.size()];
            inside = cross_from(a, b, p) > 1e-9 * span * span;
        }
        if (!inside) rest.push_back(p);
    }
    std::sort(rest.begin(), rest.end(), [](const vector_2d& a, const vector_2d& b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    });
    hull.assign(rest.size() * 2, {});
    size_t k = 0;
    for (size_t i = 0; i < rest.size(); ++i) {
        while (k >= 2 && cross_from(hull[k - 2], hull[k - 1], rest[i]) <= 0)
            --k;
        hull[k++] = rest[i];
    }
    for (size_t i = rest.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross_from(hull[k - 2], hull[k - 1], rest[i]) <= 0)
            --k;
        hull[k++] = rest[i];
    }
    hull.resize(k > 1 ? k - 1 : k);
    // Bounds of each run of corners together with the next run's first, so
    // that a run's bounds hold its edges.
    hull_runs.clear();
    for (size_t first = 0; first < hull.size(); first += hull_run) {
        std::array<float, 4> b{INFINITY, -INFINITY, INFINITY, -INFINITY};
        for (size_t k = first; k <= first + hull_run && k <= hull.size(); ++k) {
            const vector_2d& v = hull[k % hull.size()];
            b = {std::min(b[0], v.x), std::max(b[1], v.x), std::min(b[2], v.y),
                 std::max(b[3], v.y)};
        }
        hull_runs.push_back(b);
    }
}

void poligondef::outside_region(const edge_frame& edge, std::int32_t& c0, std::int32_t& c1,
                                std::int32_t& r0, std::int32_t& r1) const {
    // Every candidate lies in the hull and on the outer side of P->Q; take the
    // bounds of that piece of the hull, with room for rounding.
    const vector_2d &p = edge.p, &q = edge.q;
    const double ax = edge.ax, ay = edge.ay, tol = edge.tol;
    const double span = (static_cast<double>(max_x) - min_x) + (static_cast<double>(max_y) - min_y);
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    auto take = [&](double x, double y) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    };
    // A long hull is looked at in runs: a run whose bounds lie wholly on the
    // inner side adds nothing, one wholly outside adds its bounds.
    const double slack = 1e-9 * (std::fabs(ax) + std::fabs(ay)) * span;
    auto corner_side = [&](double x, double y) { return ax * (y - p.y) - ay * (x - p.x) + tol; };
    for (size_t run = 0; run < hull_runs.size(); ++run) {
        const float* b = hull_runs[run].data();
        const double g[4] = {corner_side(b[0], b[2]), corner_side(b[0], b[3]),
                             corner_side(b[1], b[2]), corner_side(b[1], b[3])};
        if (std::max({g[0], g[1], g[2], g[3]}) < -slack) continue;
        const size_t first = run * hull_run, last = std::min(hull.size(), first + hull_run);
        if (std::min({g[0], g[1], g[2], g[3]}) > slack) {
            // Every corner and the next run's first lie outside: the edges
            // between them cross nothing.
            take(b[0], b[2]);
            take(b[1], b[3]);
            continue;
        }
        for (size_t k = first; k < last; ++k) {
            const vector_2d& a = hull[k];
            const vector_2d& c = hull[(k + 1) % hull.size()];
            const double ga = cross_from(p, q, a) + tol, gc = cross_from(p, q, c) + tol;
            if (ga >= 0) take(a.x, a.y);
            if ((ga >= 0) != (gc >= 0)) {
                const double s = ga / (ga - gc);
                take(a.x + s * (static_cast<double>(c.x) - a.x),
                     a.y + s * (static_cast<double>(c.y) - a.y));
            }
        }
    }
    if (x0 > x1) { // nothing of the hull lies outside
        c0 = r0 = 1;
        c1 = r1 = 0;
        return;
    }
    const double margin = 1e-9 * span;
    auto lo =
        grid_cell_of(x0 - margin, y0 - margin, min_x, min_y, cell_width, cell_height, grid_size);
    auto hi =
        grid_cell_of(x1 + margin, y1 + margin, min_x, min_y, cell_width, cell_height, grid_size);
    c0 = std::max(0, lo.first - 1);
    r0 = std::max(0, lo.second - 1);
    c1 = std::min(grid_size - 1, hi.first + 1);
    r1 = std::min(grid_size - 1, hi.second + 1);
}

poligondef::edge_frame poligondef::frame_of(std::int32_t from, std::int32_t to) const {
    const vector_2d& p = xy[from];
    const vector_2d& q = xy[to];
    const double ax = static_cast<double>(q.x) - p.x, ay = static_cast<double>(q.y) - p.y;
    const double span = (static_cast<double>(max_x) - min_x) + (static_cast<double>(max_y) - min_y);
    return {p,
            q,
            p.x + (static_cast<double>(q.x) - p.x) / 2,
            p.y + (static_cast<double>(q.y) - p.y) / 2,
            ax,
            ay,
            1e-12 * (std::fabs(ax) + std::fabs(ay)) * span};
}

bool poligondef::edge_frame::may_be_outside(const float* b) const {
    // The cross product is linear in the point, so its largest value over the
    // bounds is at the corner picked by the signs of the edge.
    const double x = ay > 0 ? b[0] : b[1];
    const double y = ax > 0 ? b[3] : b[2];
    return ax * (y - p.y) - ay * (x - p.x) > -tol;
}

double poligondef::edge_frame::nearest(const float* b) const {
    const double gx = std::max({b[0] - mx, mx - b[1], 0.0});
    const double gy = std::max({b[2] - my, my - b[3], 0.0});
    return std::sqrt(gx * gx + gy * gy) * (1 - 1e-12);
}

void poligondef::build_cell_trees() {
    // Built before the search starts, so that the helper can read them too.
    cell_tree.assign(xy.size(), -1);
    for (size_t c = 0; c + 1 < cell_start.size(); ++c) {
        const std::int32_t begin = cell_start[c], end = cell_start[c + 1];
        if (end - begin <= crowded_cell) continue;
        const auto first = static_cast<std::int32_t>(node_ranks.size());
        for (std::int32_t rank = begin; rank < end; ++rank)
            node_ranks.push_back(rank);
        cell_tree[begin] = build_point_node(first, static_cast<std::int32_t>(node_ranks.size()), 0);
    }
}

std::int32_t poligondef::build_point_node(std::int32_t begin, std::int32_t end, int depth) {
    point_node node{{INFINITY, -INFINITY, INFINITY, -INFINITY}, begin, end, -1, 0, false};
    for (std::int32_t k = begin; k < end; ++k) {
        const vector_2d& v = xy[node_ranks[k]];
        node.bounds[0] = std::min(node.bounds[0], v.x);
        node.bounds[1] = std::max(node.bounds[1], v.x);
        node.bounds[2] = std::min(node.bounds[2], v.y);
        node.bounds[3] = std::max(node.bounds[3], v.y);
    }
    node.same_xy = node.bounds[0] == node.bounds[1] && node.bounds[2] == node.bounds[3];
    const auto index = static_cast<std::int32_t>(point_nodes.size());
    point_nodes.push_back(node);
    if (end - begin <= 16 || node.same_xy || depth >= 24) return index;
    // Split into quadrants at the middle of the bounds.
    const double mid_x = (static_cast<double>(node.bounds[0]) + node.bounds[1]) / 2;
    const double mid_y = (static_cast<double>(node.bounds[2]) + node.bounds[3]) / 2;
    std::int32_t* first = &node_ranks[begin];
    std::int32_t* last = first + (end - begin);
    std::int32_t* split_x =
        std::partition(first, last, [&](std::int32_t r) { return xy[r].x <= mid_x; });
    std::int32_t* parts[5] = {
        first, std::partition(first, split_x, [&](std::int32_t r) { return xy[r].y <= mid_y; }),
        split_x, std::partition(split_x, last, [&](std::int32_t r) { return xy[r].y <= mid_y; }),
        last};
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    for (int k = 0; k < 4; ++k)
        if (parts[k] != parts[k + 1])
            ranges.push_back({begin + static_cast<std::int32_t>(parts[k] - first),
                              begin + static_cast<std::int32_t>(parts[k + 1] - first)});
    if (ranges.size() < 2) return index; // rounding put every point on one side
    // Children are built first, then listed together after their parent.
    std::vector<std::int32_t> built;
    for (auto [b, e] : ranges)
        built.push_back(build_point_node(b, e, depth + 1));
    const auto first_child = static_cast<std::int32_t>(point_nodes.size());
    for (std::int32_t child : built) {
        const point_node copy = point_nodes[child];
        point_nodes.push_back(copy);
    }
    point_nodes[index].first_child = first_child;
    point_nodes[index].child_count = static_cast<std::int32_t>(built.size());
    return index;
}

// ---- triangle buckets and the crossing test ---------------------------------

poligondef::face_box poligondef::box_of(std::int32_t t) const {
    const front_triangle& tri = front[t];
    face_box box{INFINITY, -INFINITY, INFINITY, -INFINITY, t};
    for (std::int32_t c : tri.corner) {
        box.x0 = std::min(box.x0, xy[c].x);
        box.x1 = std::max(box.x1, xy[c].x);
        box.y0 = std::min(box.y0, xy[c].y);
        box.y1 = std::max(box.y1, xy[c].y);
    }
    return box;
}

void poligondef::add_bucket(double x0, double x1, double y0, double y1, std::int32_t depth) {
    // A rectangle without width leaves every entry at step 0 on that axis.
    const double sx = x1 - x0 > 0 ? 65535 / (x1 - x0) : 0;
    const double sy = y1 - y0 > 0 ? 65535 / (y1 - y0) : 0;
    buckets.push_back({x0,
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

void poligondef::register_triangle(std::int32_t t) {
    const front_triangle& tri = front[t];
    const face_box entry = box_of(t);
    const double x0 = entry.x0, x1 = entry.x1, y0 = entry.y0, y1 = entry.y1;
    const std::int32_t bx0 = clamped_index(x0 - min_x, bucket_width, bucket_size);
    const std::int32_t bx1 = clamped_index(x1 - min_x, bucket_width, bucket_size);
    const std::int32_t by0 = clamped_index(y0 - min_y, bucket_height, bucket_size);
    const std::int32_t by1 = clamped_index(y1 - min_y, bucket_height, bucket_size);
    if ((bx1 - bx0 + 1) * (by1 - by0 + 1) <= 4) {
        // A small face: the few buckets under its bounds.
        for (std::int32_t bx = bx0; bx <= bx1; ++bx)
            for (std::int32_t by = by0; by <= by1; ++by)
                insert_entry(bx * bucket_size + by, entry);
        return;
    }
    // A crossing lies on an edge, so a large face goes only into the buckets
    // its edges pass through: a long thin face does not fill every bucket
    // under its bounds.
    const double margin = 1e-9 * (bucket_width + bucket_height) * bucket_size;
    for (int j = 0; j < 3; ++j) {
        const vector_2d& s0 = xy[tri.corner[j]];
        const vector_2d& s1 = xy[tri.corner[j == 2 ? 0 : j + 1]];
        const double ax = s0.x, ay = s0.y, dx = static_cast<double>(s1.x) - s0.x,
                     dy = static_cast<double>(s1.y) - s0.y;
        const std::int32_t row0 = clamped_index(std::min<double>(s0.y, s1.y) - margin - min_y,
                                                bucket_height, bucket_size);
        const std::int32_t row1 = clamped_index(std::max<double>(s0.y, s1.y) + margin - min_y,
                                                bucket_height, bucket_size);
        for (std::int32_t row = row0; row <= row1; ++row) {
            double lo_x = std::min<double>(s0.x, s1.x), hi_x = std::max<double>(s0.x, s1.x);
            if (dy != 0 && row1 > row0) {
                const double band0 = min_y + row * bucket_height - margin;
                const double band1 = min_y + (row + 1) * bucket_height + margin;
                const double f0 = std::clamp((band0 - ay) / dy, 0.0, 1.0);
                const double f1 = std::clamp((band1 - ay) / dy, 0.0, 1.0);
                const double xa = ax + f0 * dx, xb = ax + f1 * dx;
                lo_x = std::max(lo_x, std::min(xa, xb));
                hi_x = std::min(hi_x, std::max(xa, xb));
            }
            const std::int32_t col0 =
                clamped_index(lo_x - margin - min_x, bucket_width, bucket_size);
            const std::int32_t col1 =
                clamped_index(hi_x + margin - min_x, bucket_width, bucket_size);
            for (std::int32_t col = col0; col <= col1; ++col)
                insert_entry(col * bucket_size + row, entry);
        }
    }
}

bool poligondef::edge_meets(std::int32_t t, const bucket_node& b) const {
    const std::int32_t* corner = front[t].corner;
    const double margin = 1e-9 * (bucket_width + bucket_height) * bucket_size;
    const double x0 = b.x0 - margin, x1 = b.x1 + margin, y0 = b.y0 - margin, y1 = b.y1 + margin;
    for (int j = 0; j < 3; ++j) {
        const vector_2d& s0 = xy[corner[j]];
        const vector_2d& s1 = xy[corner[j == 2 ? 0 : j + 1]];
        if (std::max<double>(s0.x, s1.x) < x0 || std::min<double>(s0.x, s1.x) > x1 ||
            std::max<double>(s0.y, s1.y) < y0 || std::min<double>(s0.y, s1.y) > y1)
            continue;
        // The edge's line must pass between the rectangle's corners.
        const double dx = static_cast<double>(s1.x) - s0.x, dy = static_cast<double>(s1.y) - s0.y;
        const double tol = 1e-9 * (std::fabs(dx) + std::fabs(dy)) * (x1 - x0 + y1 - y0 + margin);
        int above = 0, below = 0;
        for (double cx : {x0, x1})
            for (double cy : {y0, y1}) {
                const double side = dx * (cy - s0.y) - dy * (cx - s0.x);
                above += side > -tol;
                below += side < tol;
            }
        if (above > 0 && below > 0) return true;
    }
    return false;
}

void poligondef::insert_entry(std::int32_t node, const face_box& box) {
    if (buckets[node].first_child >= 0) {
        // Only children under the face's bounds can meet it; when those are
        // few, they all take it (as the top grid does), else only those its
        // edges pass through.
        const std::int32_t first = buckets[node].first_child;
        const double margin = 1e-9 * (bucket_width + bucket_height) * bucket_size;
        std::int32_t under[16];
        std::int32_t count = 0;
        for (std::int32_t k = 0; k < 16; ++k) {
            const bucket_node& child = buckets[first + k];
            if (child.x0 - margin <= box.x1 && child.x1 + margin >= box.x0 &&
                child.y0 - margin <= box.y1 && child.y1 + margin >= box.y0)
                under[count++] = first + k;
        }
        if (count > 4) {
            std::int32_t met = 0;
            for (std::int32_t k = 0; k < count; ++k)
                if (edge_meets(box.t, buckets[under[k]])) under[met++] = under[k];
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
    if (!splits_held) split_crowded(node);
}

void poligondef::append_entry(std::int32_t node, const face_box& box) {
    // Two edges of one face often pass the same bucket.
    {
        bucket_node& b = buckets[node];
        if (!b.faces.empty() && b.faces.back() == box.t) return;
        // Kept a multiple of 8 words long, so that boxes are read 8 at a time.
        if (b.faces.size() % 8 == 0) b.bounds.resize(b.faces.size() + 8);
        b.bounds[b.faces.size()] =
            pack_steps(steps_below(box.x0, b.x0, b.scale_x), steps_above(box.x1, b.x0, b.scale_x),
                       steps_below(box.y0, b.y0, b.scale_y), steps_above(box.y1, b.y0, b.scale_y));
        b.faces.push_back(box.t);
    }
}

void poligondef::split_crowded(std::int32_t node) {
    // Crowded points make crowded buckets; a full one splits in 4 x 4 so that
    // a crossing test still looks at a few triangles only.
    const auto count = static_cast<std::int32_t>(buckets[node].faces.size());
    if (count <= buckets[node].split_above) return;
    const double x0 = buckets[node].x0, x1 = buckets[node].x1, y0 = buckets[node].y0,
                 y1 = buckets[node].y1;
    const std::int32_t depth = buckets[node].depth;
    // Splitting stops where the rectangle is as fine as 32-bit coordinates go.
    const double fine = 1e-6 * (std::fabs(x0) + std::fabs(x1) + std::fabs(y0) + std::fabs(y1));
    if (depth >= 16 || !(x1 - x0 > fine) || !(y1 - y0 > fine)) return;
    std::vector<std::int32_t> faces = std::move(buckets[node].faces);
    std::vector<std::uint64_t> bounds = std::move(buckets[node].bounds);
    buckets[node].faces = {};
    buckets[node].bounds = {};
    const auto first = static_cast<std::int32_t>(buckets.size());
    const double w = (x1 - x0) / 4, h = (y1 - y0) / 4;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            add_bucket(x0 + i * w, x0 + (i + 1) * w, y0 + j * h, y0 + (j + 1) * h, depth + 1);
    buckets[node].first_child = first;
    splits_held = true;
    for (std::int32_t t : faces)
        insert_entry(node, box_of(t));
    splits_held = false;
    std::size_t entries = 0;
    for (std::int32_t k = 0; k < 16; ++k)
        entries += buckets[first + k].faces.size();
    if (entries > 3 * faces.size()) {
        // Faces long against the new buckets (a fan of thin ones, or chords
        // along a crowded curve) do not come apart however fine the split,
        // they only fill more buckets; the bucket stays whole, and tries
        // again once it has twice as many.
        buckets.resize(static_cast<std::size_t>(first));
        bucket_node& b = buckets[node];
        b.first_child = -1;
        b.faces = std::move(faces);
        b.bounds = std::move(bounds);
        b.split_above = 2 * count;
        return;
    }
    for (std::int32_t k = 0; k < 16; ++k)
        split_crowded(first + k);
}

bool poligondef::triangle_crosses(const std::int32_t* corner, const vector_2d& a, double d1x,
                                  double d1y, double tol) const {
    // Side of each corner against the segment's line; it is also the
    // numerator of the crossing parameter along the edge starting there.
    double side[3];
    for (int k = 0; k < 3; ++k) {
        const vector_2d& s = xy[corner[k]];
        const double wx = static_cast<double>(s.x) - a.x, wy = static_cast<double>(s.y) - a.y;
        side[k] = d1x * wy - d1y * wx;
    }
    // An edge crosses the segment's line only between corners on opposite
    // sides; the margin tol covers rounding of the products.
    for (int j = 0; j < 3; ++j) {
        const int k = j == 2 ? 0 : j + 1;
        const double num_u = side[j];
        if (num_u == 0 || (num_u > tol && side[k] > tol) || (num_u < -tol && side[k] < -tol))
            continue;
        const vector_2d& s = xy[corner[j]];
        const vector_2d& e = xy[corner[k]];
        const double d2x = static_cast<double>(e.x) - s.x, d2y = static_cast<double>(e.y) - s.y;
        const double wx = static_cast<double>(s.x) - a.x, wy = static_cast<double>(s.y) - a.y;
        const double den = d2x * d1y - d2y * d1x;
        if (den == 0) continue;
        const double num_t = d2x * wy - d2y * wx;
        // Both parameters must be positive; the signs decide that without
        // dividing.
        if (std::signbit(num_t) != std::signbit(den) || std::signbit(num_u) != std::signbit(den) ||
            num_t == 0)
            continue;
        const double t_ab = num_t / den;
        const double u = num_u / den;
        if (t_ab > 0 && t_ab < 0.99999 && u > 0 && u < 0.99999) return true;
    }
    return false;
}

bool poligondef::segments_free(const vector_2d& p, const vector_2d& q, const vector_2d& c) {
    // Both segments P-C and Q-C must be free; one pass over the buckets under
    // the two serves both.
    const double margin = 1e-9 * (bucket_width + bucket_height) * bucket_size;
    struct segment {
        const vector_2d* a;
        double dx, dy, x0, x1, y0, y1, tol;
    };
    auto make = [&](const vector_2d& a) {
        const double ax = a.x, ay = a.y, cx = c.x, cy = c.y;
        const double dx = cx - ax, dy = cy - ay;
        return segment{&a,
                       dx,
                       dy,
                       std::min(ax, cx) - margin,
                       std::max(ax, cx) + margin,
                       std::min(ay, cy) - margin,
                       std::max(ay, cy) + margin,
                       1e-12 * (std::fabs(dx) + std::fabs(dy)) * side_scale};
    };
    const segment segs[2] = {make(p), make(q)};
    // A triangle sits in several buckets; a small set of the ones already
    // tested keeps that local (no table per triangle to touch). Its slots
    // carry the call's number, so it needs no clearing.
    if (++seen_generation == 0) {
        std::fill(std::begin(seen_slots), std::end(seen_slots), 0);
        seen_generation = 1;
    }
    const std::uint64_t generation = static_cast<std::uint64_t>(seen_generation) << 32;
    // Triangles that blocked this edge's earlier candidates block most of
    // the later ones as well: all the points behind a wall at the edge.
    auto crosses = [&](std::int32_t t, int which) {
        const segment& sg = segs[which];
        return triangle_crosses(front[t].corner, *sg.a, sg.dx, sg.dy, sg.tol);
    };
    for (std::int32_t k = 0; k < blocker_count; ++k) {
        const std::int32_t t = blockers[k];
        if (crosses(t, 0) || crosses(t, 1)) {
            std::rotate(blockers, blockers + k, blockers + k + 1);
            ++blocked_tests;
            return false;
        }
    }
    auto remember_blocker = [&](std::int32_t t) {
        ++blocked_tests;
        blocker_count = std::min<std::int32_t>(blocker_count + 1, max_blockers);
        std::rotate(blockers, blockers + blocker_count - 1, blockers + blocker_count);
        blockers[0] = t;
        return true;
    };
    // Whether a segment passes through a bucket (with the margin): the box
    // alone would take every bucket along a long slanting segment.
    auto overlaps = [&](const bucket_node& b) {
        for (const segment& sg : segs) {
            if (!(b.x0 <= sg.x1 && b.x1 >= sg.x0 && b.y0 <= sg.y1 && b.y1 >= sg.y0)) continue;
            const double x0 = b.x0 - margin, x1 = b.x1 + margin, y0 = b.y0 - margin,
                         y1 = b.y1 + margin;
            const double tol = 1e-9 * (std::fabs(sg.dx) + std::fabs(sg.dy)) * (x1 - x0 + y1 - y0);
            int above = 0, below = 0;
            for (double cx : {x0, x1})
                for (double cy : {y0, y1}) {
                    const double side = sg.dx * (cy - sg.a->y) - sg.dy * (cx - sg.a->x);
                    above += side > -tol;
                    below += side < tol;
                }
            if (above > 0 && below > 0) return true;
        }
        return false;
    };
    auto test_leaf = [&](const bucket_node& b) {
        std::uint64_t limit[2]; // the segments' bounds in the bucket's steps
        for (int k = 0; k < 2; ++k)
            limit[k] = pack_steps(
                steps_above(segs[k].x1, b.x0, b.scale_x), steps_below(segs[k].x0, b.x0, b.scale_x),
                steps_above(segs[k].y1, b.y0, b.scale_y), steps_below(segs[k].y0, b.y0, b.scale_y));
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
                const std::uint64_t key = generation | static_cast<std::uint32_t>(t);
                std::uint32_t slot = static_cast<std::uint32_t>(t) * 2654435761u >> 22;
                bool done = false;
                for (int probe = 0; probe < 16; ++probe, slot = (slot + 1) & 1023) {
                    if (seen_slots[slot] == key) {
                        done = true;
                        break;
                    }
                    if (seen_slots[slot] < generation) {
                        seen_slots[slot] = key;
                        break;
                    }
                }
                // A full set only means a triangle may be tested twice.
                if (done) continue;
                if (((meets[0] >> k & 1) && crosses(t, 0)) ||
                    ((meets[1] >> k & 1) && crosses(t, 1)))
                    return remember_blocker(t);
            }
        }
        return false;
    };
    std::vector<std::int32_t>& stack = node_stack;
    // The leaves under the candidate and under the edge's ends are looked at
    // first and skipped after: a blocked candidate is most often walled in
    // right around itself or right at the edge, which ends most blocked
    // tests at once, however long the segments are.
    std::int32_t first_leaves[3] = {-1, -1, -1};
    auto tested_first = [&](std::int32_t index) {
        return index == first_leaves[0] || index == first_leaves[1] || index == first_leaves[2];
    };
    auto test_node = [&](std::int32_t root) {
        if (buckets[root].first_child < 0) return !tested_first(root) && test_leaf(buckets[root]);
        stack.assign(1, root);
        while (!stack.empty()) {
            const std::int32_t index = stack.back();
            const bucket_node& b = buckets[index];
            stack.pop_back();
            if (b.first_child < 0) {
                if (!tested_first(index) && test_leaf(b)) return true;
                continue;
            }
            if (!b.faces.empty() && test_leaf(b)) return true; // the bucket's own large faces
            for (std::int32_t k = 15; k >= 0; --k)
                if (overlaps(buckets[b.first_child + k])) stack.push_back(b.first_child + k);
        }
        return false;
    };
    auto test_bucket = [&](std::int32_t col, std::int32_t row) {
        return test_node(col * bucket_size + row);
    };
    auto leaf_under = [&](const vector_2d& v) {
        std::int32_t node = clamped_index(v.x - min_x, bucket_width, bucket_size) * bucket_size +
                            clamped_index(v.y - min_y, bucket_height, bucket_size);
        while (buckets[node].first_child >= 0) {
            const bucket_node& b = buckets[node];
            const std::int32_t i = clamped_index(v.x - b.x0, (b.x1 - b.x0) / 4, 4);
            const std::int32_t j = clamped_index(v.y - b.y0, (b.y1 - b.y0) / 4, 4);
            node = b.first_child + i * 4 + j;
        }
        return node;
    };
    {
        // Behind a wall, a blocker at the edge is worth more than one at the
        // candidate: it blocks the next candidates too.
        const bool walled = blocked_tests >= walled_in;
        const vector_2d* ends[3] = {walled ? &p : &c, &q, walled ? &c : &p};
        for (int k = 0; k < 3; ++k) {
            const std::int32_t node = leaf_under(*ends[k]);
            if (tested_first(node)) continue;
            if (test_leaf(buckets[node])) return false;
            first_leaves[k] = node;
        }
    }
    // A crossing point lies on a segment and in the triangle's bounds, so
    // only buckets under the segments (with a margin for rounding) matter.
    const std::int32_t all_col0 =
        clamped_index(std::min(segs[0].x0, segs[1].x0) - min_x, bucket_width, bucket_size);
    const std::int32_t all_col1 =
        clamped_index(std::max(segs[0].x1, segs[1].x1) - min_x, bucket_width, bucket_size);
    const std::int32_t all_row0 =
        clamped_index(std::min(segs[0].y0, segs[1].y0) - min_y, bucket_height, bucket_size);
    const std::int32_t all_row1 =
        clamped_index(std::max(segs[0].y1, segs[1].y1) - min_y, bucket_height, bucket_size);
    if ((all_col1 - all_col0 + 1) * (all_row1 - all_row0 + 1) <= 9) {
        // Short segments: the few buckets under both are cheaper than bands.
        for (std::int32_t col = all_col0; col <= all_col1; ++col)
            for (std::int32_t row = all_row0; row <= all_row1; ++row)
                if (test_bucket(col, row)) return false;
        return true;
    }
    for (const segment& sg : segs) {
        const double ax = sg.a->x, ay = sg.a->y;
        const std::int32_t row0 = clamped_index(sg.y0 - min_y, bucket_height, bucket_size);
        const std::int32_t row1 = clamped_index(sg.y1 - min_y, bucket_height, bucket_size);
        for (std::int32_t row = row0; row <= row1; ++row) {
            double lo_x = sg.x0, hi_x = sg.x1;
            if (sg.dy != 0 && row1 > row0) {
                // The part of the segment inside this row's band.
                const double band0 = min_y + row * bucket_height - margin;
                const double band1 = min_y + (row + 1) * bucket_height + margin;
                const double s0 = std::clamp((band0 - ay) / sg.dy, 0.0, 1.0);
                const double s1 = std::clamp((band1 - ay) / sg.dy, 0.0, 1.0);
                const double xa = ax + s0 * sg.dx, xb = ax + s1 * sg.dx;
                lo_x = std::max(lo_x, std::min(xa, xb) - margin);
                hi_x = std::min(hi_x, std::max(xa, xb) + margin);
            }
            const std::int32_t col0 = clamped_index(lo_x - min_x, bucket_width, bucket_size);
            const std::int32_t col1 = clamped_index(hi_x - min_x, bucket_width, bucket_size);
            for (std::int32_t col = col0; col <= col1; ++col)
                if (test_bucket(col, row)) return false;
        }
    }
    return true;
}

bool poligondef::box_blocked(const float* b, const vector_2d& p, const vector_2d& q) const {
    // Every point C of the box is blocked when one edge S->E of a blocker
    // crosses A->C (A one end of the searched edge) well inside both: the
    // crossing parameters t (along A->C) and u (along S->E) are ratios of
    // cross products that are constant or linear in C, so holding at the
    // box's corners with a wide margin they hold for every point in it, as
    // the crossing test computes them.
    const double corners[4][2] = {{b[0], b[2]}, {b[0], b[3]}, {b[1], b[2]}, {b[1], b[3]}};
    constexpr double margin = 1e-9, t_max = 0.99999;
    for (const vector_2d* end : {&p, &q}) {
        const double ax = end->x, ay = end->y;
        double reach = 0; // largest |C - A| (1-norm) over the box
        for (const auto& c : corners)
            reach = std::max(reach, std::fabs(c[0] - ax) + std::fabs(c[1] - ay));
        for (std::int32_t k = 0; k < blocker_count; ++k) {
            const std::int32_t* corner = front[blockers[k]].corner;
            for (int j = 0; j < 3; ++j) {
                const vector_2d& s = xy[corner[j]];
                const vector_2d& e = xy[corner[j == 2 ? 0 : j + 1]];
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

// ---- growing ---------------------------------------------------------------

void poligondef::grow() {
    build_point_grid();
    build_cell_trees();
    build_hull();
    bucket_size = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::ceil(std::sqrt(point_count / 8.0))), 1, 2048);
    side_scale = (static_cast<double>(max_x) - min_x) + (static_cast<double>(max_y) - min_y);
    bucket_width = (static_cast<double>(max_x) - min_x) / bucket_size;
    bucket_height = (static_cast<double>(max_y) - min_y) / bucket_size;
    buckets.clear();
    for (std::int32_t col = 0; col < bucket_size; ++col)
        for (std::int32_t row = 0; row < bucket_size; ++row)
            add_bucket(min_x + col * bucket_width, min_x + (col + 1) * bucket_width,
                       min_y + row * bucket_height, min_y + (row + 1) * bucket_height, 0);
    edge_slots empty_row{};
    std::fill(std::begin(empty_row.to), std::end(empty_row.to), -1);
    edge_rows.assign(static_cast<size_t>(point_count), empty_row);
    // The seed was built before ranks existed.
    for (std::int32_t& corner : front[0].corner)
        corner = seed[corner];
    const auto& c = front[0].corner;
    count_edge(c[0], c[1]);
    count_edge(c[1], c[2]);
    count_edge(c[2], c[0]);
    register_triangle(0);

    if (point_count >= helper_threshold && std::thread::hardware_concurrency() > 1) {
        // A planar set of triangles over n points has fewer than 2n of them;
        // the helper stops should the front still have to grow.
        front.reserve(2 * static_cast<size_t>(point_count) + 8);
        published_front = front.data();
        plan_slots = std::make_unique<plan_slot[]>(plan_window);
        published.store(static_cast<std::int32_t>(front.size()), std::memory_order_relaxed);
        working.store(0, std::memory_order_relaxed);
        helper_stop.store(false, std::memory_order_relaxed);
        helper_wake.store(0, std::memory_order_relaxed);
        try {
            helper_thread = std::thread([this] { plan_ahead(); });
        } catch (const std::system_error&) {
            plan_slots = {}; // no thread to be had: the builder works alone
        }
    }
    for (size_t i = 0; i < front.size(); ++i) {
        const plan_slot* slot = nullptr;
        if (helper_thread.joinable()) {
            const auto at = static_cast<std::int32_t>(i);
            working.store(at, std::memory_order_release);
            // A waiting helper is woken now and then; it keeps far enough
            // ahead that this is rare.
            if (at % 64 == 0) wake_helper();
            const plan_slot& s = plan_slots[at % plan_window];
            if (s.triangle.load(std::memory_order_acquire) == at) slot = &s;
        }
        close_shared_edges(static_cast<std::int32_t>(i));
        for (int j = 0; j < 3; ++j) {
            if (!(front[i].open >> j & 1)) continue;
            const std::int32_t from = front[i].corner[j], to = front[i].corner[(j + 1) % 3];
            std::int32_t k = -2;
            if (slot && slot->edges[j].usable) k = third_point_of_plan(from, to, slot->edges[j]);
            if (k == -2) k = find_third_point(from, to);
            tested_count = 0;
            blocker_count = 0;
            blocked_tests = 0;
            if (k >= 0) add_triangle(to, from, k);
        }
    }
    stop_helper();
    plan_slots = {};
    buckets = {};
    edge_rows = {};
    edge_overflow = {};
}

// The next ring of the search box c0..c1 x r0..r1 in the order the search
// grid adds it, limited to the cells rc0..rc1 x rr0..rr1 that can hold a
// candidate; then the box grows by the ring. Runs of empty cells are passed
// over whole, which matters where a few far points leave the grid nearly empty.
template <class ScanCell, class SkipRun>
void poligondef::scan_next_ring(std::int32_t& c0, std::int32_t& r0, std::int32_t& c1,
                                std::int32_t& r1, std::int32_t rc0, std::int32_t rc1,
                                std::int32_t rr0, std::int32_t rr1, ScanCell& scan_cell,
                                SkipRun& skip_run) const {
    const std::int32_t n = grid_size;
    const std::int32_t col_lo = std::max({c0 - 1, 0, rc0}), col_hi = std::min({c1 + 1, n - 1, rc1});
    auto scan_row = [&](std::int32_t row) {
        for (std::int32_t col = col_lo; col <= col_hi;) {
            const std::int32_t block_end = std::min(col_hi, (col / row_block + 1) * row_block - 1);
            if (row_blocks[static_cast<size_t>(row) * row_block_count + col / row_block] == 0 ||
                skip_run(col, block_end, row, row)) {
                col = block_end + 1;
                continue;
            }
            for (; col <= block_end; ++col)
                scan_cell(col, row);
        }
    };
    auto scan_column = [&](std::int32_t col, std::int32_t row_lo, std::int32_t row_hi) {
        if (row_lo > row_hi || cell_start[col * n + row_hi + 1] == cell_start[col * n + row_lo])
            return;
        for (std::int32_t row = row_lo; row <= row_hi;) {
            const std::int32_t run_end = std::min(row_hi, row + row_block - 1);
            if (skip_run(col, col, row, run_end)) {
                row = run_end + 1;
                continue;
            }
            for (; row <= run_end; ++row)
                scan_cell(col, row);
        }
    };
    if (r0 - 1 >= std::max(0, rr0)) scan_row(r0 - 1);
    if (r1 + 1 <= std::min(n - 1, rr1)) scan_row(r1 + 1);
    const std::int32_t row_lo = std::max(r0, rr0), row_hi = std::min(r1, rr1);
    if (c0 - 1 >= std::max(0, rc0)) scan_column(c0 - 1, row_lo, row_hi);
    if (c1 + 1 <= std::min(n - 1, rc1)) scan_column(c1 + 1, row_lo, row_hi);
    c0 = std::max(c0 - 1, 0);
    r0 = std::max(r0 - 1, 0);
    c1 = std::min(c1 + 1, n - 1);
    r1 = std::min(r1 + 1, n - 1);
}

std::int32_t poligondef::find_third_point(std::int32_t from, std::int32_t to) {
    const edge_frame edge = frame_of(from, to);
    const vector_2d &p = edge.p, &q = edge.q;
    const double mx = edge.mx, my = edge.my, ax = edge.ax, ay = edge.ay;
    const std::int32_t n = grid_size;

    std::int32_t best = -1;
    double best_distance = far_distance;
    auto [start_col, start_row] = grid_cell_of(mx, my, min_x, min_y, cell_width, cell_height, n);
    std::int32_t c0 = start_col, c1 = start_col, r0 = start_row, r1 = start_row;
    // Cells that can hold a candidate at all; the whole grid until narrowed.
    std::int32_t rc0 = 0, rc1 = n - 1, rr0 = 0, rr1 = n - 1;

    // One round hands out candidates nearest first, the first handed out
    // among equal distances (cell order in the round, then id); testing in
    // that order runs the crossing test only where it can decide the result.
    // Crowded cells are searched through a tree of their points instead of
    // point by point.
    std::uint32_t order = 0;
    bool heap_mode = false; // candidates kept as a heap once a round has tree nodes
    round_candidates.clear();
    round_nodes.clear();
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
        round_candidates.push_back(
            {d, static_cast<std::uint64_t>(cell_order) << 32 | static_cast<std::uint32_t>(id), id});
        if (heap_mode)
            std::push_heap(round_candidates.begin(), round_candidates.end(), by_distance);
    };
    auto offer_node = [&](std::int32_t node, std::uint32_t cell_order) {
        const point_node& nd = point_nodes[node];
        if (!edge.may_be_outside(nd.bounds)) return;
        const double d = edge.nearest(nd.bounds);
        if (!(d < best_distance)) return;
        round_nodes.push_back({d, cell_order, node});
        std::push_heap(round_nodes.begin(), round_nodes.end(), by_distance);
    };
    auto scan_cell = [&](std::int32_t col, std::int32_t row) {
        const std::int32_t cell = col * n + row;
        const std::uint32_t cell_order = order++;
        if (cell_start[cell] == cell_start[cell + 1]) return;
        const float* b = &cell_bounds[static_cast<size_t>(cell_start[cell]) * 4];
        if (!edge.may_be_outside(b)) return;
        if (best >= 0 && !(edge.nearest(b) < best_distance)) return;
        if (blocked_tests >= walled_in && box_blocked(b, p, q)) return;
        if (cell_start[cell + 1] - cell_start[cell] > crowded_cell) {
            offer_node(cell_tree[cell_start[cell]], cell_order);
            return;
        }
        // Without branches: about half of the points lie on the inner side,
        // which a branch would guess wrong half of the time.
        queued* out = scan_buffer.data();
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
        round_candidates.insert(round_candidates.end(), out, out + kept);
    };
    // Behind a wall, whole runs of cells the blockers cover are passed over
    // at once; runs that cannot hold a candidate are too.
    auto skip_run = [&](std::int32_t col0, std::int32_t col1, std::int32_t row0,
                        std::int32_t row1) {
        if (blocked_tests < walled_in) return false;
        float b[4] = {INFINITY, -INFINITY, INFINITY, -INFINITY};
        for (std::int32_t col = col0; col <= col1; ++col)
            for (std::int32_t row = row0; row <= row1; ++row) {
                const std::int32_t cell = col * n + row;
                if (cell_start[cell] == cell_start[cell + 1]) continue;
                const float* cb = &cell_bounds[static_cast<size_t>(cell_start[cell]) * 4];
                b[0] = std::min(b[0], cb[0]);
                b[1] = std::max(b[1], cb[1]);
                b[2] = std::min(b[2], cb[2]);
                b[3] = std::max(b[3], cb[3]);
            }
        if (!(b[0] <= b[1])) return true; // no points
        return !edge.may_be_outside(b) || (best >= 0 && !(edge.nearest(b) < best_distance)) ||
               box_blocked(b, p, q);
    };
    auto try_candidate = [&](const queued& c) {
        // A plan that fell short has tested some points already; the mesh
        // has not changed since.
        for (std::int32_t k = 0; k < tested_count; ++k)
            if (tested[k].index == c.index) {
                if (!tested[k].free) return false;
                best = c.index;
                best_distance = c.distance;
                return true;
            }
        if (!segments_free(p, q, xy[c.index])) return false;
        best = c.index;
        best_distance = c.distance;
        return true;
    };
    auto settle_round = [&]() {
        if (round_nodes.empty()) {
            // No crowded cell: the candidates came in handout order, and the
            // first one is usually free, so a few minimum picks beat a heap.
            auto& list = round_candidates;
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
        std::make_heap(round_candidates.begin(), round_candidates.end(), by_distance);
        while (true) {
            const double node_distance =
                round_nodes.empty() ? INFINITY : round_nodes.front().distance;
            if (!round_candidates.empty() && round_candidates.front().distance < node_distance) {
                std::pop_heap(round_candidates.begin(), round_candidates.end(), by_distance);
                const queued c = round_candidates.back();
                round_candidates.pop_back();
                if (!(c.distance < best_distance) || try_candidate(c)) break;
                continue;
            }
            if (round_nodes.empty()) break;
            std::pop_heap(round_nodes.begin(), round_nodes.end(), by_distance);
            const queued nq = round_nodes.back();
            round_nodes.pop_back();
            if (!(nq.distance < best_distance)) break;
            const auto cell_order = static_cast<std::uint32_t>(nq.key);
            const point_node& nd = point_nodes[nq.index];
            if (blocked_tests >= walled_in && box_blocked(nd.bounds, p, q)) continue;
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
        round_candidates.clear();
        round_nodes.clear();
        order = 0;
        heap_mode = false;
    };
    auto clearance = [&]() {
        return grid_area_clearance(mx, my, c0, c1, r0, r1, n, max_x, min_x, max_y, min_y,
                                   cell_width, cell_height);
    };

    scan_cell(start_col, start_row);
    settle_round();
    if (!(best_distance > clearance())) return best;
    for (int round = 1;; ++round) {
        if (c0 == 0 && r0 == 0 && c1 == n - 1 && r1 == n - 1) return best;
        if (round == 3) outside_region(edge, rc0, rc1, rr0, rr1);
        if (round >= 3 && (rc0 > rc1 || (c0 <= rc0 && c1 >= rc1 && r0 <= rr0 && r1 >= rr1)))
            return best; // every cell that could add a candidate has been searched
        scan_next_ring(c0, r0, c1, r1, rc0, rc1, rr0, rr1, scan_cell, skip_run);
        settle_round();
        if (best_distance <= clearance()) return best;
    }
}

// ---- planning ahead ----------------------------------------------------------

void poligondef::wake_helper() {
    helper_wake.fetch_add(1, std::memory_order_release);
    helper_wake.notify_one();
}

void poligondef::stop_helper() {
    if (!helper_thread.joinable()) return;
    helper_stop.store(true, std::memory_order_release);
    wake_helper();
    helper_thread.join();
}

void poligondef::plan_ahead() {
    std::int32_t t = 1; // the seed's edges are not planned
    std::int32_t known = 0;
    while (true) {
        // Read before the state it waits on, so that no wake-up is missed.
        const std::uint32_t signal = helper_wake.load(std::memory_order_acquire);
        if (helper_stop.load(std::memory_order_acquire)) return;
        const std::int32_t at = working.load(std::memory_order_acquire);
        if (t <= at) t = at + 1; // the builder is past these already
        if (t >= known) known = published.load(std::memory_order_acquire);
        if (t - at >= plan_window || t >= known) {
            helper_wake.wait(signal, std::memory_order_acquire);
            continue;
        }
        plan_slot& slot = plan_slots[t % plan_window];
        const front_triangle& tri = published_front[t];
        for (int j = 0; j < 3; ++j) {
            if (tri.single >> j & 1)
                plan_edge(tri.corner[j], tri.corner[j == 2 ? 0 : j + 1], slot.edges[j]);
            else
                slot.edges[j].usable = false;
        }
        slot.triangle.store(t, std::memory_order_release);
        ++t;
    }
}

void poligondef::plan_edge(std::int32_t from, std::int32_t to, edge_plan& plan) const {
    // The same rings, clearances and handout order as find_third_point, but
    // without the crossing test. A round keeps its nearest few below a cap:
    // the third nearest point found before it, which is as far as the
    // builder is expected to go. Rounds go on until that point would end the
    // search.
    plan.usable = false;
    plan.exhausted = false;
    plan.round_count = 0;
    const edge_frame edge = frame_of(from, to);
    const vector_2d& p = edge.p;
    const double mx = edge.mx, my = edge.my, ax = edge.ax, ay = edge.ay;
    const std::int32_t n = grid_size;
    auto [start_col, start_row] = grid_cell_of(mx, my, min_x, min_y, cell_width, cell_height, n);
    std::int32_t c0 = start_col, c1 = start_col, r0 = start_row, r1 = start_row;
    std::int32_t rc0 = 0, rc1 = n - 1, rr0 = 0, rr1 = n - 1;

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
    double limit_squared = limit * limit * (1 + 1e-10);
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
            limit_squared = limit * limit * (1 + 1e-10);
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
            const point_node& nd = point_nodes[pending[--depth]];
            if (!edge.may_be_outside(nd.bounds) || edge.nearest(nd.bounds) > limit) continue;
            if (nd.first_child >= 0) {
                // Nearest child on top, so that the list fills with near
                // points early and the limit prunes the rest.
                double near[4];
                const std::int32_t base = depth;
                for (std::int32_t k = 0; k < nd.child_count; ++k) {
                    const double d = edge.nearest(point_nodes[nd.first_child + k].bounds);
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
                offer_from_tree(*std::min_element(&node_ranks[nd.begin], &node_ranks[nd.end]),
                                cell_key);
            } else {
                for (std::int32_t k = nd.begin; k < nd.end; ++k)
                    offer_from_tree(node_ranks[k], cell_key);
            }
        }
    };
    auto scan_cell = [&](std::int32_t col, std::int32_t row) {
        const std::int32_t cell = col * n + row;
        const std::uint32_t cell_order = order++;
        const std::int32_t begin = cell_start[cell], end = cell_start[cell + 1];
        if (begin == end) return;
        const float* b = &cell_bounds[static_cast<size_t>(begin) * 4];
        if (!edge.may_be_outside(b)) return;
        if (!(edge.nearest(b) < limit)) return;
        const std::uint64_t cell_key = static_cast<std::uint64_t>(cell_order) << 32;
        if (end - begin > crowded_cell) {
            scan_tree(cell_tree[begin], cell_key);
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
    auto clearance = [&]() {
        return grid_area_clearance(mx, my, c0, c1, r0, r1, n, max_x, min_x, max_y, min_y,
                                   cell_width, cell_height);
    };
    // Closes a round; true when a search whose nearest free point is the
    // expected one would stop here.
    auto end_round = [&](int r) {
        const int kept = std::min(top_count, planned_per_round);
        const std::int32_t at = r == 0 ? 0 : plan.rounds[r - 1].end;
        for (int k = 0; k < kept; ++k) {
            plan.candidates[at + k] = {top[k].distance, top[k].index};
            double d = top[k].distance;
            for (double& slot : nearest)
                if (d < slot) std::swap(d, slot);
        }
        const double cl = clearance();
        plan.rounds[r] = {cl, top_count > kept ? top[kept].distance : cap, at + kept};
        plan.round_count = static_cast<std::int8_t>(r + 1);
        top_count = 0;
        order = 0;
        cap = nearest[expected_rank - 1];
        limit = cap;
        limit_squared = limit * limit * (1 + 1e-10);
        return r == 0 ? !(cap > cl) : cap <= cl;
    };

    scan_cell(start_col, start_row);
    if (end_round(0)) {
        plan.usable = true;
        return;
    }
    for (int r = 1; r < max_planned_rounds; ++r) {
        if (c0 == 0 && r0 == 0 && c1 == n - 1 && r1 == n - 1) {
            plan.exhausted = true;
            break;
        }
        if (r == 3) outside_region(edge, rc0, rc1, rr0, rr1);
        if (r >= 3 && (rc0 > rc1 || (c0 <= rc0 && c1 >= rc1 && r0 <= rr0 && r1 >= rr1))) {
            plan.exhausted = true;
            break;
        }
        scan_next_ring(c0, r0, c1, r1, rc0, rc1, rr0, rr1, scan_cell, never_skip);
        if (end_round(r)) break;
    }
    plan.usable = true;
}

std::int32_t poligondef::third_point_of_plan(std::int32_t from, std::int32_t to,
                                             const edge_plan& plan) {
    // find_third_point's decisions, taken on the planned rounds.
    const vector_2d& p = xy[from];
    const vector_2d& q = xy[to];
    std::int32_t best = -1;
    double best_distance = far_distance;
    std::int32_t k = 0;
    tested_count = 0;
    for (int r = 0; r < plan.round_count; ++r) {
        const planned_round& round = plan.rounds[r];
        bool settled = false;
        for (; k < round.end; ++k) {
            const planned_candidate& c = plan.candidates[k];
            if (!(c.distance < best_distance)) {
                settled = true;
                break;
            }
            const bool free = segments_free(p, q, xy[c.index]);
            tested[tested_count++] = {c.index, free};
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

} // namespace tessaline
