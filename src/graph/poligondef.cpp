#include "poligondef.h"

#include "base/work_stopped.h"

#include "candidate_search.h"
#include "edge_counts.h"
#include "face_index.h"
#include "plan_helper.h"
#include "point_grid.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

namespace tessaline {

namespace {

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

// Whether (a, b, c) turns so that it is stored as (a, c, b), clockwise.
template <class P> bool counter_clockwise(const P& a, const P& b, const P& c) {
    const double o = (static_cast<double>(b.x) - a.x) * (static_cast<double>(a.y) - c.y) -
                     (static_cast<double>(b.y) - a.y) * (static_cast<double>(a.x) - c.x);
    return !(o >= 0);
}

} // namespace

poligondef::poligondef(std::int32_t point_count_, const gl_points_& points_, float max_x_,
                       float min_x_, float max_y_, float min_y_)
    : point_count(point_count_), points(points_), max_x(max_x_), min_x(min_x_), max_y(max_y_),
      min_y(min_y_) {}

poligondef::~poligondef() = default;

void poligondef::run(std::stop_token stop) {
    if (seed_triangle()) grow(stop);
}

triangles poligondef::get_triangles() const {
    // Corners are kept as ranks in the grid's cell order; give back point ids.
    triangles out(front.size());
    auto id = [this](std::int32_t rank) { return grid ? grid->ids[rank] : rank; };
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
    // Indexed once the grid exists.
    if (counter_clockwise(points[first], points[second], points[third]))
        front.push_back({{first, third, second}, 7, 0});
    else
        front.push_back({{first, second, third}, 7, 0});
    return true;
}

void poligondef::add_triangle(std::int32_t a, std::int32_t b, std::int32_t c) {
    // Stored clockwise.
    if (counter_clockwise(grid->xy[a], grid->xy[b], grid->xy[c])) std::swap(b, c);
    // The helper reads the front in place, so it stops before the front moves.
    if (helper && front.size() == front.capacity()) helper->stop();
    const bool single_ab = edges->add(a, b) == 1;
    const bool single_bc = edges->add(b, c) == 1;
    const bool single_ca = edges->add(c, a) == 1;
    front.push_back(
        {{a, b, c}, 7, static_cast<std::uint8_t>(single_ab | single_bc << 1 | single_ca << 2)});
    index->add(static_cast<std::int32_t>(front.size()) - 1);
    if (helper && helper->running()) helper->publish(static_cast<std::int32_t>(front.size()));
}

void poligondef::close_shared_edges(std::int32_t i) {
    faces::front_triangle& t = front[i];
    for (int j = 0; j < 3; ++j)
        if ((t.open >> j & 1) && edges->uses(t.corner[j], t.corner[(j + 1) % 3]) >= 2)
            t.open &= static_cast<std::uint8_t>(~(1u << j));
}

// The units: the point grid with its cell trees and hull, the edge counts,
// the index of built faces for the crossing test, the candidate search and,
// on a second core, the helper that plans the search's rounds ahead. The
// result is the same as scanning every built triangle for every candidate.
void poligondef::grow(const std::stop_token& stop) {
    grid = std::make_unique<faces::point_grid>(point_count, points, max_x, min_x, max_y, min_y);
    edges = std::make_unique<faces::edge_counts>(point_count);
    index = std::make_unique<faces::face_index>(*grid, front, point_count);
    search = std::make_unique<faces::candidate_search>(*grid, *index);
    // The seed was built before ranks existed.
    std::int32_t* seed = front[0].corner;
    std::int32_t ranks[3] = {};
    for (std::int32_t rank = 0; rank < static_cast<std::int32_t>(grid->ids.size()); ++rank)
        for (int k = 0; k < 3; ++k)
            if (grid->ids[rank] == seed[k]) ranks[k] = rank;
    std::copy(std::begin(ranks), std::end(ranks), seed);
    edges->add(seed[0], seed[1]);
    edges->add(seed[1], seed[2]);
    edges->add(seed[2], seed[0]);
    index->add(0);

    if (point_count >= helper_threshold && std::thread::hardware_concurrency() > 1) {
        // A planar set of triangles over n points has fewer than 2n of them;
        // the helper stops should the front still have to grow.
        front.reserve(2 * static_cast<size_t>(point_count) + 8);
        try {
            helper = std::make_unique<faces::plan_helper>(*grid, front.data(),
                                                          static_cast<std::int32_t>(front.size()));
        } catch (const std::system_error&) {
            helper = {}; // no thread to be had: the builder works alone
        }
    }
    for (size_t i = 0; i < front.size(); ++i) {
        // A few thousand triangles take well under a millisecond.
        if (i % 4096 == 0) throw_if_stopped(stop);
        const faces::edge_plan* plans = nullptr;
        if (helper && helper->running()) plans = helper->plans_of(static_cast<std::int32_t>(i));
        close_shared_edges(static_cast<std::int32_t>(i));
        for (int j = 0; j < 3; ++j) {
            if (!(front[i].open >> j & 1)) continue;
            const std::int32_t from = front[i].corner[j], to = front[i].corner[(j + 1) % 3];
            std::int32_t k = -2;
            if (plans && plans[j].usable) k = search->from_plan(from, to, plans[j]);
            if (k == -2) k = search->find(from, to);
            search->next_edge();
            if (k >= 0) add_triangle(to, from, k);
        }
    }
    helper = {};
    search = {};
    index = {};
    edges = {};
}

} // namespace tessaline
