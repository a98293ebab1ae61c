// What the screen draws on: a GL context with a visible frame and a hidden
// id picture of the same size. The desktop widget and the headless EGL
// surface are its two implementations.
#pragma once

namespace tessaline {

struct pixel_size {
    int width = 0;
    int height = 0;
    bool operator==(const pixel_size&) const = default;
};

// The id picture has a buffer of its own so that it can be kept between
// pointer moves while the visible frame changes.
enum class render_target { frame, id_picture };

class surface {
  public:
    virtual ~surface() = default;

    // In device pixels; both targets have this size and a depth buffer.
    virtual pixel_size size() const = 0;
    virtual void make_current() = 0;
    // Makes the target the one drawn into and read from.
    virtual void bind_target(render_target target) = 0;
    // Shows the frame just drawn into the frame target; a surface whose
    // toolkit shows its buffer by itself after drawing may do nothing here.
    virtual void present() = 0;
};

} // namespace tessaline
