// The fast face builder against the literal one on many kinds of point sets:
// every face, its order and its corner order must be the same.
#include "graph/poligondef.h"
#include "reference/reference_poligondef.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace tessaline;

namespace {

struct extent {
    float max_x, min_x, max_y, min_y;
};

extent extent_of(const gl_points_& pts) {
    extent e{pts[0].x, pts[0].x, pts[0].y, pts[0].y};
    for (const auto& p : pts) {
        e.max_x = std::max(e.max_x, p.x);
        e.min_x = std::min(e.min_x, p.x);
        e.max_y = std::max(e.max_y, p.y);
        e.min_y = std::min(e.min_y, p.y);
    }
    return e;
}

constexpr std::int32_t no_helper = std::numeric_limits<std::int32_t>::max();

triangles build_fast(const gl_points_& pts, std::int32_t helper_threshold) {
    const extent e = extent_of(pts);
    poligondef fast(static_cast<std::int32_t>(pts.size()), pts, e.max_x, e.min_x, e.max_y, e.min_y);
    fast.set_helper_threshold(helper_threshold);
    fast.run();
    return fast.get_triangles();
}

void expect_equal(const triangles& a, const triangles& b, const std::string& what) {
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i], b[i]) << what << ": face " << i << " of " << a.size();
}

// Both with and without the helper thread, whatever the size.
// Returns the faces' count.
size_t expect_same_faces(const gl_points_& pts, const std::string& what) {
    if (pts.empty()) return 0;
    const extent e = extent_of(pts);
    reference::poligondef slow(static_cast<std::int32_t>(pts.size()), pts, e.max_x, e.min_x,
                               e.max_y, e.min_y);
    slow.run();
    const triangles expected = slow.get_triangles();
    expect_equal(build_fast(pts, no_helper), expected, what);
    expect_equal(build_fast(pts, 0), expected, what + " with helper");
    return expected.size();
}

enum class shape {
    uniform,
    clustered,
    lattice,
    jittered_lattice,
    duplicates,
    collinear_runs,
    ties,
    tiny,
    huge,
    flat_x,
    flat_y,
    ring,
    outliers,
    crowded_duplicates,
    convex_curve,
    far_outlier,
    off_lines,
    crossing_bound,
    border_margin,
    heavy_tails,
    mistyped_row
};

std::string name_of(shape s) {
    switch (s) {
    case shape::uniform:
        return "uniform";
    case shape::clustered:
        return "clustered";
    case shape::lattice:
        return "lattice";
    case shape::jittered_lattice:
        return "jittered_lattice";
    case shape::duplicates:
        return "duplicates";
    case shape::collinear_runs:
        return "collinear_runs";
    case shape::ties:
        return "ties";
    case shape::tiny:
        return "tiny";
    case shape::huge:
        return "huge";
    case shape::flat_x:
        return "flat_x";
    case shape::flat_y:
        return "flat_y";
    case shape::ring:
        return "ring";
    case shape::outliers:
        return "outliers";
    case shape::crowded_duplicates:
        return "crowded_duplicates";
    case shape::convex_curve:
        return "convex_curve";
    case shape::far_outlier:
        return "far_outlier";
    case shape::off_lines:
        return "off_lines";
    case shape::crossing_bound:
        return "crossing_bound";
    case shape::border_margin:
        return "border_margin";
    case shape::heavy_tails:
        return "heavy_tails";
    case shape::mistyped_row:
        return "mistyped_row";
    }
    return "unknown";
}

void PrintTo(shape s, std::ostream* os) {
    *os << name_of(s);
}

// From how many points a shape surely has three not on one line (as the seed
// step judges it, to within 0.00001 of the cosine).
int faces_from(shape s) {
    switch (s) {
    case shape::duplicates:
        return 100; // below 65 points every pick lies on the first row
    case shape::flat_x:
    case shape::flat_y:
        return 50; // twenty points leave every angle in the thin extent too small
    case shape::mistyped_row:
        return 50; // a few dozen points of the speck may give the seed no three off one line
    default:
        return 20;
    }
}

gl_points_ make(shape s, int n, std::mt19937_64& rng) {
    std::uniform_real_distribution<float> u(-1, 1);
    gl_points_ pts;
    const int side = std::max(2, static_cast<int>(std::sqrt(static_cast<double>(n))));
    switch (s) {
    case shape::uniform:
        for (int i = 0; i < n; ++i)
            pts.push_back({u(rng), u(rng), u(rng)});
        break;
    case shape::clustered: {
        std::normal_distribution<float> g(0, 0.03f);
        std::vector<gl_point> centres(1 + n / 200);
        for (auto& c : centres)
            c = {u(rng) * 0.8f, u(rng) * 0.8f, 0};
        for (int i = 0; i < n; ++i) {
            const auto& c = centres[static_cast<size_t>(i) % centres.size()];
            pts.push_back({c.x + g(rng), c.y + g(rng), u(rng)});
        }
        break;
    }
    case shape::lattice:
    case shape::jittered_lattice: {
        std::uniform_real_distribution<float> j(-0.3f, 0.3f);
        for (int i = 0; i < side; ++i)
            for (int k = 0; k < side; ++k) {
                float x = static_cast<float>(i), y = static_cast<float>(k);
                if (s == shape::jittered_lattice) {
                    x += j(rng);
                    y += j(rng);
                }
                pts.push_back({x / side, y / side, u(rng)});
            }
        break;
    }
    case shape::duplicates: {
        std::uniform_int_distribution<int> pick(0, std::max(1, n / 5));
        for (int i = 0; i < n; ++i) {
            const int k = pick(rng);
            pts.push_back(
                {static_cast<float>(k % 13) / 13, static_cast<float>(k / 13) / 7, u(rng)});
        }
        break;
    }
    case shape::collinear_runs:
        for (int i = 0; i < n; ++i) {
            const int run = i % 7;
            const float t = u(rng);
            pts.push_back({t, run * 0.25f - 0.75f + (run % 2 ? t * 0.5f : 0), u(rng)});
        }
        break;
    case shape::ties:
        // Points on circles around the centre: equal distances everywhere.
        for (int i = 0; i < n; ++i) {
            const int ring = 1 + i % 5;
            const double a = (i / 5) * 2 * M_PI / std::max(1, n / 5);
            pts.push_back({static_cast<float>(ring * std::cos(a) / 5),
                           static_cast<float>(ring * std::sin(a) / 5), 0});
        }
        for (int i = 0; i < n / 4; ++i)
            pts.push_back({(i % 4) * 0.5f - 0.75f, (i / 4 % 4) * 0.5f - 0.75f, 0});
        break;
    case shape::tiny:
        for (int i = 0; i < n; ++i)
            pts.push_back({1 - u(rng) * 1e-6f, 1 - u(rng) * 1e-6f, 0});
        break;
    case shape::huge: {
        std::uniform_real_distribution<float> w(-1e30f, 1e30f);
        for (int i = 0; i < n; ++i)
            pts.push_back({w(rng), w(rng), 0});
        break;
    }
    case shape::flat_x:
        for (int i = 0; i < n; ++i)
            pts.push_back({u(rng) * (i % 2 ? 1e-30f : 1e-3f), u(rng), 0});
        break;
    case shape::flat_y:
        // Three rows 1e-7 apart under an extent a thousand times as wide.
        for (int i = 0; i < n; ++i)
            pts.push_back({u(rng) * 1e-4f, (i % 3) * 1e-7f, 0});
        break;
    case shape::ring:
        for (int i = 0; i < n; ++i) {
            const double a = u(rng) * M_PI;
            const double r = 0.9 + 0.1 * u(rng);
            pts.push_back(
                {static_cast<float>(r * std::cos(a)), static_cast<float>(r * std::sin(a)), 0});
        }
        break;
    case shape::outliers: {
        // A tight cluster and a few far points: the grid crowds into few cells.
        std::normal_distribution<float> g(0, 1e-3f);
        for (int i = 0; i < n; ++i)
            pts.push_back(i < 3 ? gl_point{u(rng), u(rng), 0}
                                : gl_point{0.3f + g(rng), -0.2f + g(rng), 0});
        break;
    }
    case shape::crowded_duplicates: {
        std::uniform_int_distribution<int> pick(0, 8);
        for (int i = 0; i < n; ++i) {
            const int k = pick(rng);
            pts.push_back(i < 2
                              ? gl_point{u(rng), u(rng), 0}
                              : gl_point{0.5f + (k % 3) * 1e-3f + (i % 5 == 0 ? u(rng) * 1e-3f : 0),
                                         0.5f + (k / 3) * 1e-3f, 0});
        }
        break;
    }
    case shape::convex_curve:
        // Every point on the hull: long thin faces along a crowded curve.
        for (int i = 0; i < n; ++i) {
            const float x = u(rng);
            pts.push_back({x, x * x, 0});
        }
        break;
    case shape::far_outlier: {
        // A small square and one point far away: a fan of long faces.
        std::uniform_real_distribution<float> near(0, 1e-3f);
        for (int i = 0; i < n; ++i)
            pts.push_back(i == 0 ? gl_point{1, 1, 0} : gl_point{near(rng), near(rng), 0});
        break;
    }
    case shape::off_lines: {
        // Points on four lines through the centre, each moved off its line by
        // up to three steps of float: the side tests decide on rounding.
        const float dirs[4][2] = {{1, 0}, {1, 1}, {1, -2}, {3, 1}};
        std::uniform_int_distribution<int> steps(-3, 3);
        for (int i = 0; i < n; ++i) {
            if (i % 8 == 7) {
                pts.push_back({u(rng), u(rng), 0});
                continue;
            }
            const float t = u(rng) / 3;
            float y = t * dirs[i % 4][1];
            for (int k = steps(rng); k != 0; k += k > 0 ? -1 : 1)
                y = std::nextafter(y, k > 0 ? INFINITY : -INFINITY);
            pts.push_back({t * dirs[i % 4][0], y, 0});
        }
        break;
    }
    case shape::crossing_bound: {
        // A lattice, and beside the middle of each row edge a point off it by
        // about 1e-5 of the edge: a segment to it from the next row crosses
        // the edge near the crossing test's bound on the parameter.
        const int cells = std::max(1, static_cast<int>(std::sqrt(n / 2.0)));
        const float offsets[] = {1e-5f, -1e-5f, 0.5e-5f, 2e-5f, -0.7e-5f, 1.3e-5f};
        for (int i = 0; i <= cells && static_cast<int>(pts.size()) < n; ++i)
            for (int k = 0; k <= cells && static_cast<int>(pts.size()) < n; ++k) {
                pts.push_back({static_cast<float>(i) / cells, static_cast<float>(k) / cells, 0});
                if (i < cells && static_cast<int>(pts.size()) < n)
                    pts.push_back({(i + 0.5f) / cells, (k + offsets[(i + k) % 6]) / cells, 0});
            }
        break;
    }
    case shape::border_margin: {
        // Over -1 .. 1, half the points within a few filter margins (1e-9 of
        // the extent's span of 4) of the middle lines x = 0 and y = 0, which
        // are cell and bucket borders at even grid sides.
        const float offsets[] = {0, 2e-9f, -2e-9f, 4e-9f, -4e-9f, 8e-9f, -8e-9f};
        std::uniform_int_distribution<int> pick(0, 6);
        for (int i = 0; i < n; ++i) {
            if (i < 4) {
                pts.push_back({i % 2 ? 1.0f : -1.0f, i / 2 ? 1.0f : -1.0f, 0});
            } else if (i % 2) {
                pts.push_back({u(rng), u(rng), 0});
            } else {
                const float off = offsets[pick(rng)], along = u(rng);
                pts.push_back(i % 4 ? gl_point{off, along, 0} : gl_point{along, off, 0});
            }
        }
        break;
    }
    case shape::heavy_tails:
        // Cauchy spread: far points in every direction and a dense middle.
        for (int i = 0; i < n; ++i)
            pts.push_back({static_cast<float>(std::tan(M_PI / 2 * u(rng) * 0.999)),
                           static_cast<float>(std::tan(M_PI / 2 * u(rng) * 0.999)), 0});
        break;
    case shape::mistyped_row:
        // Data within 1e-20 and one row a factor 1e20 off, as scaling leaves
        // them: every band but the last lies in a speck of the extent.
        for (int i = 0; i < n; ++i)
            pts.push_back(i == 0 ? gl_point{1, 1, 0}
                                 : gl_point{u(rng) * 1e-20f, u(rng) * 1e-20f, 0});
        break;
    }
    std::shuffle(pts.begin(), pts.end(), rng);
    return pts;
}

class FacesMatchReference : public ::testing::TestWithParam<shape> {};

TEST_P(FacesMatchReference, ManySizes) {
    std::mt19937_64 rng(static_cast<unsigned>(GetParam()) * 7919 + 1);
    // The reference is quadratic: many small sets, a few of a thousand or more.
    // The reference costs seconds at two thousand points, so only the most
    // common shapes get a set that large.
    const shape s = GetParam();
    const bool large = s == shape::uniform || s == shape::clustered ||
                       s == shape::jittered_lattice || s == shape::duplicates;
    // Crowded sets cost the reference most: they stay small.
    const bool crowded = s == shape::outliers || s == shape::crowded_duplicates ||
                         s == shape::convex_curve || s == shape::far_outlier ||
                         s == shape::mistyped_row;
    const int sizes[] = {0, 1, 2, 3, 4, 5, 7, 10, 20, 21, 50, 81, 100, 181, 300, 1000, 2000};
    int sets = 0;
    for (int round = 0; round < 14; ++round)
        for (int n : sizes) {
            if ((n == 1000 && (round != 0 || crowded)) || (n == 2000 && (round != 0 || !large)))
                continue;
            auto pts = make(GetParam(), n, rng);
            const std::string what =
                name_of(s) + " n=" + std::to_string(pts.size()) + " round " + std::to_string(round);
            const size_t faces = expect_same_faces(pts, what);
            if (HasFatalFailure()) return;
            // Comparing no faces with no faces would test nothing.
            if (n >= faces_from(s)) {
                EXPECT_GT(faces, 0u) << what;
            }
            ++sets;
        }
    EXPECT_GT(sets, 100);
}

// Sets too large for the reference: the helper runs many plan windows ahead
// and falls behind now and then; the faces must not change.
TEST_P(FacesMatchReference, HelperOnLargeSets) {
    const shape s = GetParam();
    std::mt19937_64 rng(static_cast<unsigned>(s) * 104729 + 3);
    // A speck of data beside a far row still costs the builder a minute at
    // these sizes: the small sets above hold it.
    if (s == shape::mistyped_row) GTEST_SKIP() << "too slow at these sizes";
    for (int n : {5000, 30000}) {
        const auto pts = make(GetParam(), n, rng);
        const triangles alone = build_fast(pts, no_helper);
        EXPECT_FALSE(alone.empty()) << name_of(s) << " n=" << n;
        for (int run = 0; run < 2; ++run) {
            expect_equal(build_fast(pts, 0), alone,
                         name_of(s) + " n=" + std::to_string(n) + " run " + std::to_string(run));
            if (HasFatalFailure()) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FacesMatchReference,
    ::testing::Values(shape::uniform, shape::clustered, shape::lattice, shape::jittered_lattice,
                      shape::duplicates, shape::collinear_runs, shape::ties, shape::tiny,
                      shape::huge, shape::flat_x, shape::flat_y, shape::ring, shape::outliers,
                      shape::crowded_duplicates, shape::convex_curve, shape::far_outlier,
                      shape::off_lines, shape::crossing_bound, shape::border_margin,
                      shape::heavy_tails, shape::mistyped_row),
    [](const auto& info) { return name_of(info.param); });

} // namespace
