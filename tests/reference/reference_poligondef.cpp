#include "reference_poligondef.h"

#include <cmath>
#include <utility>

namespace tessaline::reference {

poligondef::poligondef(std::int32_t point_count_, const gl_points_& points_, float max_x_,
                       float min_x_, float max_y_, float min_y_)
    : point_count(point_count_), max_x(max_x_), min_x(min_x_), max_y(max_y_), min_y(min_y_),
      points(points_) {
    const double w = static_cast<double>(max_x) - min_x, h = static_cast<double>(max_y) - min_y;
    far_distance = std::sqrt(w * w + h * h) + 1000;
    front.reserve(static_cast<size_t>(point_count));
}

void poligondef::run() {
    if (seed_triangle()) grow();
}

triangles poligondef::get_triangles() const {
    triangles out;
    for (std::int32_t i = 0; i < triangle_count; ++i)
        out.push_back({front[i].corner0, front[i].corner1, front[i].corner2});
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
    sort_by_distance(list, 0, point_count - 1);
    const std::int32_t first = list[0].id;
    std::int32_t second = -1;
    for (std::int32_t k = 1; k < point_count && second < 0; ++k)
        if (!same_xy(points[list[k].id], points[first])) second = list[k].id;
    if (second < 0) return false;
    std::int32_t third = -1;
    for (std::int32_t k = 2; k < point_count && third < 0; ++k) {
        const gl_point& c = points[list[k].id];
        if (!same_xy(c, points[first]) && !same_xy(c, points[second]) &&
            !collinear_xy(points[first], points[second], c))
            third = list[k].id;
    }
    if (third < 0) return false;
    add_triangle(first, second, third);
    return true;
}

void poligondef::sort_by_distance(std::vector<distance_idx>& list, std::int32_t lo,
                                  std::int32_t hi) {
    const double pivot = list[(lo + hi) / 2].distance;
    std::int32_t i = lo, j = hi;
    do {
        while (list[i].distance < pivot)
            ++i;
        while (list[j].distance > pivot)
            --j;
        if (i <= j) {
            std::swap(list[i], list[j]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (lo < j) sort_by_distance(list, lo, j);
    if (i < hi) sort_by_distance(list, i, hi);
}

bool poligondef::clockwise(std::int32_t a, std::int32_t b, std::int32_t c) const {
    const gl_point &pa = points[a], &pb = points[b], &pc = points[c];
    const double o = (static_cast<double>(pb.x) - pa.x) * (static_cast<double>(pa.y) - pc.y) -
                     (static_cast<double>(pb.y) - pa.y) * (static_cast<double>(pa.x) - pc.x);
    return o >= 0;
}

void poligondef::add_triangle(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (!clockwise(a, b, c)) std::swap(b, c);
    front_triangle t;
    t.corner0 = a;
    t.corner1 = b;
    t.corner2 = c;
    t.edges[0] = {a, b, true};
    t.edges[1] = {b, c, true};
    t.edges[2] = {c, a, true};
    front.push_back(t);
    ++triangle_count;
}

void poligondef::grow() {
    grid = std::make_unique<cells>(points, max_x, min_x, max_y, min_y);
    std::int32_t i = 0;
    do {
        close_shared_edges(i);
        for (std::int32_t j = 0; j < 3; ++j) {
            if (!front[i].edges[j].open) continue;
            const std::int32_t k = find_third_point(i, j);
            if (k >= 0) add_triangle(front[i].edges[j].to, front[i].edges[j].from, k);
        }
        ++i;
    } while (i != triangle_count);
    grid.reset();
}

bool poligondef::same_edge(const front_edge& a, const front_edge& b) {
    return (a.from == b.from && a.to == b.to) || (a.from == b.to && a.to == b.from);
}

void poligondef::close_shared_edges(std::int32_t i) {
    for (std::int32_t j = 0; j < 3; ++j) {
        if (!front[i].edges[j].open) continue;
        for (std::int32_t t = triangle_count - 1; t >= 0; --t) {
            if (t == i) continue;
            const auto& e = front[t].edges;
            const auto& mine = front[i].edges[j];
            if (same_edge(mine, e[0]) || same_edge(mine, e[1]) || same_edge(mine, e[2])) {
                front[i].edges[j].open = false;
                break;
            }
        }
    }
}

bool poligondef::outside_edge(const gl_point& p, const gl_point& q, const gl_point& c) const {
    return (static_cast<double>(q.x) - p.x) * (static_cast<double>(c.y) - p.y) -
               (static_cast<double>(q.y) - p.y) * (static_cast<double>(c.x) - p.x) >
           0;
}

bool poligondef::segment_free(const gl_point& a, const gl_point& b) const {
    const double d1x = static_cast<double>(b.x) - a.x, d1y = static_cast<double>(b.y) - a.y;
    for (std::int32_t t = triangle_count - 1; t >= 0; --t) {
        bool crossed = false;
        for (const front_edge& e : front[t].edges) {
            const gl_point &s = points[e.from], &u_end = points[e.to];
            const double d2x = static_cast<double>(u_end.x) - s.x,
                         d2y = static_cast<double>(u_end.y) - s.y;
            const double wx = static_cast<double>(s.x) - a.x, wy = static_cast<double>(s.y) - a.y;
            const double den = d2x * d1y - d2y * d1x;
            if (den == 0) continue;
            const double t_ab = (d2x * wy - d2y * wx) / den;
            const double u = (d1x * wy - d1y * wx) / den;
            if (t_ab > 0 && t_ab < 0.99999 && u > 0 && u < 0.99999) crossed = true;
        }
        if (crossed) return false;
    }
    return true;
}

void poligondef::scan(std::int32_t i, std::int32_t j, double mx, double my, std::int32_t& best,
                      double& best_distance) {
    const gl_point& p = points[front[i].edges[j].from];
    const gl_point& q = points[front[i].edges[j].to];
    for (std::int32_t id = grid->next_point(); id != -1; id = grid->next_point()) {
        const gl_point& c = points[id];
        if (!outside_edge(p, q, c) || !segment_free(p, c) || !segment_free(q, c)) continue;
        const double dx = c.x - mx, dy = c.y - my;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < best_distance) {
            best = id;
            best_distance = d;
        }
    }
}

std::int32_t poligondef::find_third_point(std::int32_t i, std::int32_t j) {
    const gl_point& p = points[front[i].edges[j].from];
    const gl_point& q = points[front[i].edges[j].to];
    const double mx = p.x + (static_cast<double>(q.x) - p.x) / 2;
    const double my = p.y + (static_cast<double>(q.y) - p.y) / 2;
    std::int32_t best = -1;
    double best_distance = far_distance;
    grid->start_search(mx, my);
    scan(i, j, mx, my, best, best_distance);
    if (best_distance > grid->search_clearance()) {
        while (grid->grow_area()) {
            scan(i, j, mx, my, best, best_distance);
            if (best_distance <= grid->search_clearance()) break;
        }
    }
    return best;
}

} // namespace tessaline::reference
