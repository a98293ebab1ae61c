// A drawing surface without a window or X server: an EGL context on Mesa's
// surfaceless platform that draws into two framebuffer objects (the frame
// and the id picture), each with a depth buffer.
#pragma once

#include "view/surface.h"

#include <cstdint>
#include <memory>

namespace tessaline {

class egl_surface final : public surface {
  public:
    // Throws std::runtime_error, with the reason, when no context can be had.
    explicit egl_surface(pixel_size size);
    ~egl_surface() override;
    egl_surface(const egl_surface&) = delete;
    egl_surface& operator=(const egl_surface&) = delete;

    // Throws std::runtime_error saying so when the size is beyond what the
    // renderer draws or has memory for.
    void resize(pixel_size size);

    // About what drawing a picture of this size and reading it back takes:
    // both targets with their depth, the pixels read and the picture.
    static std::uint64_t memory_needed(pixel_size size);

    pixel_size size() const override { return size_; }
    void make_current() override;
    void bind_target(render_target target) override;
    // Nothing is shown; this only hands the commands to the renderer.
    void present() override;

  private:
    struct state;
    std::unique_ptr<state> state_;
    pixel_size size_;
};

} // namespace tessaline
