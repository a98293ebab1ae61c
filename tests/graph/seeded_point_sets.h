// Large point sets made from the raw output of a seeded mt19937_64 by our own
// arithmetic (no standard distribution, no libm), so that they come out the
// same with any standard library; and the hash their faces are recorded by.
#pragma once

#include "graph/poligondef.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

namespace tessaline::seeded {

enum class spread { uniform, gaussian, clustered, thin_ring, far_point };

inline std::string name_of(spread s) {
    switch (s) {
    case spread::uniform:
        return "uniform";
    case spread::gaussian:
        return "gaussian";
    case spread::clustered:
        return "clustered";
    case spread::thin_ring:
        return "thin_ring";
    case spread::far_point:
        return "far_point";
    }
    return "unknown";
}

class source {
  public:
    explicit source(std::uint64_t seed) : rng_(seed) {}
    // [0, 1) from the top 53 bits.
    double unit() { return static_cast<double>(rng_() >> 11) * 0x1.0p-53; }
    double symmetric() { return 2 * unit() - 1; }
    // Sum of twelve uniforms less six: mean 0, deviation 1, close enough to
    // a normal for point clouds and exact in every library.
    double normal() {
        double sum = 0;
        for (int k = 0; k < 12; ++k)
            sum += unit();
        return sum - 6;
    }

  private:
    std::mt19937_64 rng_;
};

inline gl_points_ make_points(spread s, std::int32_t n, std::uint64_t seed) {
    source rng(seed);
    gl_points_ pts;
    pts.reserve(static_cast<size_t>(n));
    auto add = [&](double x, double y) {
        pts.push_back({static_cast<float>(x), static_cast<float>(y), 0});
    };
    switch (s) {
    case spread::uniform:
        while (static_cast<std::int32_t>(pts.size()) < n)
            add(rng.symmetric(), rng.symmetric());
        break;
    case spread::gaussian:
        while (static_cast<std::int32_t>(pts.size()) < n)
            add(rng.normal(), rng.normal());
        break;
    case spread::clustered: {
        // About 500 points around each of many centres.
        std::vector<std::pair<double, double>> centres(static_cast<size_t>(1 + n / 500));
        for (auto& c : centres)
            c = {rng.symmetric(), rng.symmetric()};
        for (std::int32_t i = 0; i < n; ++i) {
            const auto& c = centres[static_cast<size_t>(i) % centres.size()];
            add(c.first + 0.01 * rng.normal(), c.second + 0.01 * rng.normal());
        }
        break;
    }
    case spread::thin_ring:
        // Radius 0.98 to 1, by rejection so that no angle is computed.
        while (static_cast<std::int32_t>(pts.size()) < n) {
            const double x = rng.symmetric(), y = rng.symmetric(), r2 = x * x + y * y;
            if (r2 >= 0.98 * 0.98 && r2 <= 1) add(x, y);
        }
        break;
    case spread::far_point:
        add(1000, 1000);
        while (static_cast<std::int32_t>(pts.size()) < n)
            add(rng.symmetric(), rng.symmetric());
        break;
    }
    return pts;
}

struct extent {
    float max_x, min_x, max_y, min_y;
};

// The points' own x-y extent; not empty.
inline extent extent_of(const gl_points_& pts) {
    extent e{pts[0].x, pts[0].x, pts[0].y, pts[0].y};
    for (const gl_point& p : pts) {
        e.max_x = std::max(e.max_x, p.x);
        e.min_x = std::min(e.min_x, p.x);
        e.max_y = std::max(e.max_y, p.y);
        e.min_y = std::min(e.min_y, p.y);
    }
    return e;
}

// The faces over the points' own extent, as an import builds them.
inline triangles build_faces(const gl_points_& pts) {
    if (pts.empty()) return {};
    const extent e = extent_of(pts);
    poligondef builder(static_cast<std::int32_t>(pts.size()), pts, e.max_x, e.min_x, e.max_y,
                       e.min_y);
    builder.run();
    return builder.get_triangles();
}

// FNV-1a 64 over every corner id in order, four bytes each, low byte first.
inline std::uint64_t face_hash(const triangles& faces) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    auto mix = [&](std::int32_t id) {
        const auto v = static_cast<std::uint32_t>(id);
        for (int k = 0; k < 4; ++k) {
            h ^= (v >> (8 * k)) & 0xFFu;
            h *= 0x100000001b3ull;
        }
    };
    for (const triangle& t : faces) {
        mix(t.p0);
        mix(t.p1);
        mix(t.p2);
    }
    return h;
}

} // namespace tessaline::seeded
