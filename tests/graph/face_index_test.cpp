// The face index and the plane tests it is made of, against checking every
// built triangle: the crossing of a segment and a triangle, of a segment and
// a rectangle, the index's crossing query while it fills and splits, and the
// boxes it reports blocked whole.
#include "built_mesh.h"
#include "graph/face_geometry.h"
#include "graph/face_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace tessaline;
using namespace tessaline::faces;
using namespace tessaline::faces::testing;

TEST(FaceGeometry, SegmentAgainstTriangleAsTheLiteralTest) {
    std::mt19937 rng(23);
    std::uniform_real_distribution<float> u(-1, 1), tiny(-1e-6f, 1e-6f);
    std::uniform_int_distribution<int> pick(0, 5);
    int crossings = 0;
    for (int k = 0; k < 200000; ++k) {
        std::vector<vector_2d> xy(5);
        for (auto& v : xy)
            v = {u(rng), u(rng)};
        // Near-degenerate cases: the segment's end on or next to an edge, or
        // along an edge's line.
        const int kind = pick(rng);
        if (kind == 1 || kind == 2) {
            const float s = (u(rng) + 1) / 2;
            xy[4] = {xy[0].x + s * (xy[1].x - xy[0].x), xy[0].y + s * (xy[1].y - xy[0].y)};
            if (kind == 2) xy[4] = {xy[4].x + tiny(rng), xy[4].y + tiny(rng)};
        } else if (kind == 3) {
            xy[4] = {2 * xy[1].x - xy[0].x, 2 * xy[1].y - xy[0].y};
        }
        const std::int32_t corner[3] = {0, 1, 2};
        const vector_2d& a = xy[3];
        const vector_2d& c = xy[4];
        const double dx = static_cast<double>(c.x) - a.x, dy = static_cast<double>(c.y) - a.y;
        const double tol = face_tolerance::side_rounding * (std::fabs(dx) + std::fabs(dy)) * 4;
        bool expected = false;
        for (int j = 0; j < 3; ++j)
            expected |= literal_crossing(a, c, xy[j], xy[(j + 1) % 3]);
        crossings += expected;
        ASSERT_EQ(segment_crosses_triangle(xy.data(), corner, a, dx, dy, tol), expected)
            << "case " << k;
    }
    EXPECT_GT(crossings, 10000);
}

TEST(FaceGeometry, SegmentMeetsEveryRectangleItPasses) {
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> u(-1, 1), size(0, 0.3), s(0, 1);
    for (int k = 0; k < 20000; ++k) {
        const double ax = u(rng), ay = u(rng);
        // Long, short, level and upright segments.
        const double bx = k % 4 == 1 ? ax : u(rng), by = k % 4 == 2 ? ay : u(rng);
        const double x0 = u(rng), y0 = u(rng), x1 = x0 + size(rng), y1 = y0 + size(rng);
        bool passes = false;
        for (int step = 0; step <= 400 && !passes; ++step) {
            const double f = step / 400.0, x = ax + f * (bx - ax), y = ay + f * (by - ay);
            passes = x >= x0 && x <= x1 && y >= y0 && y <= y1;
        }
        if (passes) {
            ASSERT_TRUE(segment_meets_rect(ax, ay, bx, by, x0, x1, y0, y1)) << k;
        }
        // Bounds apart: never.
        if (std::fmax(ax, bx) < x0 || std::fmin(ax, bx) > x1) {
            ASSERT_FALSE(segment_meets_rect(ax, ay, bx, by, x0, x1, y0, y1)) << k;
        }
    }
}

namespace {

// Sets whose meshes fill buckets evenly, crowd them, or stretch a fan of long
// faces over the extent.
std::vector<gl_points_> index_sets() {
    std::vector<gl_points_> sets = {seeded::make_points(seeded::spread::uniform, 2500, 1),
                                    seeded::make_points(seeded::spread::thin_ring, 2500, 2),
                                    seeded::make_points(seeded::spread::far_point, 2500, 3)};
    // A tight cluster with a few far points: buckets split deep, and long
    // faces to the far points pass through many of their children.
    for (std::int32_t n : {300, 2500}) {
        gl_points_ crowded = seeded::make_points(seeded::spread::gaussian, n, 7);
        for (auto& p : crowded)
            p = {0.3f + p.x * 1e-3f, -0.2f + p.y * 1e-3f, 0};
        crowded[0] = {3, 3, 0};
        crowded[1] = {-3, 2, 0};
        crowded[2] = {0.5f, -2, 0};
        sets.push_back(crowded);
    }
    return sets;
}

} // namespace

TEST(FaceIndex, CrossingQueryAsCheckingEveryFace) {
    for (const gl_points_& pts : index_sets())
        for (size_t stride : {1, 2, 5}) {
            built_mesh m = mesh_of(pts);
            const auto& xy = m.grid->xy;
            ASSERT_GT(m.faces.size(), 500u);
            m.faces = thinned(m.faces, m.faces.size(), stride);
            face_index index(*m.grid, m.faces, static_cast<std::int32_t>(pts.size()));
            std::int32_t first[3] = {};
            for (std::int32_t r = 0; r < static_cast<std::int32_t>(xy.size()); ++r)
                if (m.grid->ids[r] < 3) first[m.grid->ids[r]] = r;
            std::mt19937 rng(31);
            std::uniform_int_distribution<std::int32_t> any(
                0, static_cast<std::int32_t>(xy.size()) - 1);
            int blocked = 0, queries = 0;
            size_t added = 0;
            // Queries between additions, so that they meet buckets as they split.
            for (size_t until : {size_t{1}, size_t{50}, m.faces.size() / 3, m.faces.size()}) {
                for (; added < until; ++added)
                    index.add(static_cast<std::int32_t>(added));
                for (int k = 0; k < 300; ++k, ++queries) {
                    // Mostly as the search asks: an edge of a built face and
                    // a point a few ranks (so a cell or two) from its end, or
                    // one of the first three points (far off in the crowded
                    // sets); now and then anything.
                    const bool local = k % 6 != 0;
                    const front_triangle& f = m.faces[static_cast<size_t>(any(rng)) % added];
                    const std::int32_t from = local ? f.corner[k % 3] : any(rng);
                    const std::int32_t to = local ? f.corner[(k + 1) % 3] : any(rng);
                    const std::int32_t last = static_cast<std::int32_t>(xy.size()) - 1;
                    const std::int32_t near = std::clamp(from + (k % 41) - 20, 0, last);
                    const std::int32_t c_rank = !local       ? any(rng)
                                                : k % 6 == 3 ? first[k % 4 % 3]
                                                             : near;
                    const vector_2d &p = xy[from], &q = xy[to], &c = xy[c_rank];
                    const bool expected = literal_free(xy, m.faces, added, p, c) &&
                                          literal_free(xy, m.faces, added, q, c);
                    blocked += !expected;
                    ASSERT_EQ(index.segments_free(p, q, c), expected) << "query " << queries;
                    if (k % 10 == 0) index.next_edge();
                }
            }
            EXPECT_GT(blocked, queries / 10);
        }
}

TEST(FaceIndex, BoxesBlockedWholeHoldOnlyBlockedPoints) {
    for (const gl_points_& pts : index_sets()) {
        const built_mesh m = mesh_of(pts);
        const auto& xy = m.grid->xy;
        // Half the faces, so that free points remain behind them.
        const size_t count = m.faces.size() / 2;
        face_index index(*m.grid, m.faces, static_cast<std::int32_t>(pts.size()));
        for (size_t t = 0; t < count; ++t)
            index.add(static_cast<std::int32_t>(t));
        std::mt19937 rng(37);
        std::uniform_int_distribution<std::int32_t> any(0,
                                                        static_cast<std::int32_t>(xy.size()) - 1);
        std::uniform_real_distribution<float> size(0, 0.05f);
        int whole = 0;
        for (int edge = 0; edge < 200; ++edge) {
            index.next_edge();
            const vector_2d &p = xy[any(rng)], &q = xy[any(rng)];
            // Blocked candidates leave their blockers behind.
            for (int k = 0; k < 40; ++k)
                index.segments_free(p, q, xy[any(rng)]);
            for (int k = 0; k < 20; ++k) {
                const vector_2d& c = xy[any(rng)];
                const float w = size(rng) * (m.grid->max_x - m.grid->min_x);
                const float b[4] = {c.x - w, c.x + w, c.y - w, c.y + w};
                if (!index.box_blocked(b, p, q)) continue;
                ++whole;
                for (const vector_2d& v : xy) {
                    if (!(v.x >= b[0] && v.x <= b[1] && v.y >= b[2] && v.y <= b[3])) continue;
                    ASSERT_FALSE(literal_free(xy, m.faces, count, p, v) &&
                                 literal_free(xy, m.faces, count, q, v));
                }
            }
        }
        EXPECT_GT(whole, 0);
    }
}
