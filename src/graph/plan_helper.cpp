#include "plan_helper.h"

namespace tessaline::faces {

plan_helper::plan_helper(const point_grid& grid, const front_triangle* front,
                         std::int32_t published)
    : grid_(grid), front_(front), published_(published), thread_([this] { plan_ahead(); }) {}

plan_helper::~plan_helper() {
    stop();
}

void plan_helper::wake() {
    wake_.fetch_add(1, std::memory_order_release);
    wake_.notify_one();
}

void plan_helper::stop() {
    if (!thread_.joinable()) return;
    stop_.store(true, std::memory_order_release);
    wake();
    thread_.join();
}

const edge_plan* plan_helper::plans_of(std::int32_t t) {
    working_.store(t, std::memory_order_release);
    // A waiting helper is woken now and then; it keeps far enough ahead that
    // this is rare.
    if (t % 64 == 0) wake();
    const slot& s = slots_[t % window];
    return s.triangle.load(std::memory_order_acquire) == t ? s.edges : nullptr;
}

void plan_helper::plan_ahead() {
    std::int32_t t = 1; // the seed's edges are not planned
    std::int32_t known = 0;
    while (true) {
        // Read before the state it waits on, so that no wake-up is missed.
        const std::uint32_t signal = wake_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_acquire)) return;
        const std::int32_t at = working_.load(std::memory_order_acquire);
        if (t <= at) t = at + 1; // the builder is past these already
        if (t >= known) known = published_.load(std::memory_order_acquire);
        if (t - at >= window || t >= known) {
            wake_.wait(signal, std::memory_order_acquire);
            continue;
        }
        slot& s = slots_[t % window];
        const front_triangle& tri = front_[t];
        for (int j = 0; j < 3; ++j) {
            if (tri.single >> j & 1)
                plan_edge(grid_, tri.corner[j], tri.corner[j == 2 ? 0 : j + 1], s.edges[j]);
            else
                s.edges[j].usable = false;
        }
        s.triangle.store(t, std::memory_order_release);
        ++t;
    }
}

} // namespace tessaline::faces
