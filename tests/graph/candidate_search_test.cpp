// The candidate search against a scan of every point with the crossing test
// written out, and the helper's plans against the search: a plan either
// decides as the search does or says it falls short.
#include "built_mesh.h"
#include "graph/candidate_search.h"
#include "graph/edge_plan.h"
#include "graph/face_geometry.h"
#include "graph/face_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

using namespace tessaline;
using namespace tessaline::faces;
using namespace tessaline::faces::testing;

namespace {

// Small sets for the scan of every point; a crowded cluster with far points
// has cells searched through their trees and long faces walling edges in.
std::vector<gl_points_> search_sets(std::int32_t n) {
    gl_points_ crowded = seeded::make_points(seeded::spread::gaussian, n, 9);
    for (auto& p : crowded)
        p = {p.x * 1e-3f, p.y * 1e-3f, 0};
    crowded.push_back({3, 3, 0});
    crowded.push_back({-3, 2, 0});
    crowded.push_back({0, -3, 0});
    for (int k = 0; k < 100; ++k) // points at one place
        crowded.push_back({0.0005f, 0.0005f, 0});
    return {seeded::make_points(seeded::spread::uniform, n, 4),
            seeded::make_points(seeded::spread::thin_ring, n, 5),
            seeded::make_points(seeded::spread::clustered, n, 6), crowded};
}

// A front grown part of the way: the first share of the full mesh's faces,
// every stride-th of them.
struct partial_front {
    built_mesh mesh;
    size_t count;
    std::unique_ptr<face_index> index;
};

partial_front grown_part(const gl_points_& pts, double share, size_t stride) {
    partial_front f{mesh_of(pts), 0, nullptr};
    f.mesh.faces =
        thinned(f.mesh.faces, static_cast<size_t>(static_cast<double>(f.mesh.faces.size()) * share),
                stride);
    f.count = f.mesh.faces.size();
    f.index = std::make_unique<face_index>(*f.mesh.grid, f.mesh.faces,
                                           static_cast<std::int32_t>(pts.size()));
    for (size_t t = 0; t < f.count; ++t)
        f.index->add(static_cast<std::int32_t>(t));
    return f;
}

} // namespace

TEST(CandidateSearch, FindsTheNearestFreePointOnTheOuterSide) {
    for (const gl_points_& pts : search_sets(500)) {
        for (auto [share, stride] : {std::pair{0.1, 1}, std::pair{0.5, 1}, std::pair{0.5, 3}}) {
            partial_front f = grown_part(pts, share, static_cast<size_t>(stride));
            const point_grid& g = *f.mesh.grid;
            candidate_search search(g, *f.index);
            int found = 0;
            // The open edges of the faces built so far, as the builder asks.
            for (size_t t = 0; t < f.count; t += 3)
                for (int j = 0; j < 3; ++j) {
                    const std::int32_t from = f.mesh.faces[t].corner[j];
                    const std::int32_t to = f.mesh.faces[t].corner[(j + 1) % 3];
                    const edge_frame e = g.frame(from, to);
                    std::vector<std::pair<double, std::int32_t>> outer;
                    for (std::int32_t r = 0; r < static_cast<std::int32_t>(g.xy.size()); ++r) {
                        if (!(cross_from(e.p, e.q, g.xy[r]) > 0)) continue;
                        const double dx = g.xy[r].x - e.mx, dy = g.xy[r].y - e.my;
                        outer.push_back({std::sqrt(dx * dx + dy * dy), r});
                    }
                    std::sort(outer.begin(), outer.end());
                    double nearest = INFINITY;
                    for (const auto& [d, r] : outer)
                        if (literal_free(g.xy, f.mesh.faces, f.count, e.p, g.xy[r]) &&
                            literal_free(g.xy, f.mesh.faces, f.count, e.q, g.xy[r])) {
                            nearest = d;
                            break;
                        }
                    const std::int32_t k = search.find(from, to);
                    search.next_edge();
                    if (std::isinf(nearest)) {
                        ASSERT_EQ(k, -1) << "face " << t << " edge " << j;
                        continue;
                    }
                    ASSERT_GE(k, 0) << "face " << t << " edge " << j;
                    ++found;
                    const double dx = g.xy[k].x - e.mx, dy = g.xy[k].y - e.my;
                    ASSERT_EQ(std::sqrt(dx * dx + dy * dy), nearest)
                        << "face " << t << " edge " << j;
                }
            EXPECT_GT(found, 0);
        }
    }
}

// Replays the builder: before each face is indexed, the edge it was built on
// (from its second or third corner to its first) must find its remaining
// corner, and a plan of either edge must decide as the search or fall short.
TEST(CandidateSearch, ReplaysTheBuilderAndPlansAgree) {
    for (const gl_points_& pts : search_sets(4000)) {
        const built_mesh m = mesh_of(pts);
        const point_grid& g = *m.grid;
        face_index index(g, m.faces, static_cast<std::int32_t>(pts.size()));
        candidate_search search(g, index);
        int decided = 0, edges = 0;
        index.add(0);
        for (size_t t = 1; t < m.faces.size(); ++t) {
            const std::int32_t* c = m.faces[t].corner;
            bool rebuilt = false;
            for (int j = 1; j <= 2; ++j, ++edges) {
                const std::int32_t from = c[j], to = c[0];
                const std::int32_t alone = search.find(from, to);
                search.next_edge();
                rebuilt |= alone == c[3 - j];
                edge_plan plan;
                plan_edge(g, from, to, plan);
                ASSERT_TRUE(plan.usable);
                // As the builder goes on: a plan that falls short leaves its
                // tested points to the search.
                std::int32_t k = search.from_plan(from, to, plan);
                decided += k != -2;
                if (k == -2) k = search.find(from, to);
                search.next_edge();
                ASSERT_EQ(k, alone) << "face " << t << " edge " << j;
            }
            ASSERT_TRUE(rebuilt) << "face " << t;
            index.add(static_cast<std::int32_t>(t));
        }
        EXPECT_GT(decided, edges / 2);
    }
}
