// A second thread that plans the single edges of queued triangles a bounded
// window ahead of the builder, which then only runs the crossing tests.
#pragma once

#include "edge_plan.h"
#include "front_triangle.h"
#include "point_grid.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace tessaline::faces {

class plan_helper {
  public:
    // Starts the thread on the first `published` triangles of the front,
    // whose storage must not move while it runs; throws std::system_error
    // where no thread can be had.
    plan_helper(const point_grid& grid, const front_triangle* front, std::int32_t published);
    ~plan_helper();
    plan_helper(const plan_helper&) = delete;
    plan_helper& operator=(const plan_helper&) = delete;

    bool running() const { return thread_.joinable(); }
    void stop();
    // The front holds this many triangles.
    void publish(std::int32_t count) { published_.store(count, std::memory_order_release); }
    // The builder works on triangle t from now on; its three edge plans,
    // where the helper has completed them, else null.
    const edge_plan* plans_of(std::int32_t t);

  private:
    // The helper plans triangles below published and less than window past
    // working (the triangle being built on), whose slot the builder may
    // still read.
    static constexpr std::int32_t window = 2048;
    struct alignas(64) slot {
        std::atomic<std::int32_t> triangle{-1}; // whose edges are planned, once complete
        edge_plan edges[3];
    };
    void plan_ahead();
    void wake();

    const point_grid& grid_;
    const front_triangle* front_;
    std::unique_ptr<slot[]> slots_ = std::make_unique<slot[]>(window);
    alignas(64) std::atomic<std::int32_t> published_;
    alignas(64) std::atomic<std::int32_t> working_{0};
    alignas(64) std::atomic<bool> stop_{false};
    std::atomic<std::uint32_t> wake_{0}; // changed whenever the helper may go on
    std::thread thread_;                 // last: starts once the rest is set
};

} // namespace tessaline::faces
