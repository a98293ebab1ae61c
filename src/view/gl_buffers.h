// Buffer objects that keep the graph's arrays on the GL side, so that a frame
// sends no vertex data. Only where the context offers them (GL 1.5); each
// buffer is uploaded again only when the array it holds was rebuilt.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace tessaline {

// Whether the current context has buffer objects.
bool buffer_objects_available();

// One buffer name, deleted with the object; needs its context current then.
class gl_buffer {
  public:
    gl_buffer() = default;
    ~gl_buffer() { release(); }
    gl_buffer(const gl_buffer&) = delete;
    gl_buffer& operator=(const gl_buffer&) = delete;
    gl_buffer(gl_buffer&& other) noexcept
        : name_(std::exchange(other.name_, 0)), data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)), generation_(std::exchange(other.generation_, 0)) {}

    // Binds the buffer to target, first filling it with bytes when they are
    // not what it holds (another array, size or generation of the array).
    void bind(GLenum target, const void* bytes, std::size_t size, std::uint64_t generation);

  private:
    void release();

    GLuint name_ = 0;
    const void* data_ = nullptr;
    std::size_t size_ = 0;
    std::uint64_t generation_ = 0;
};

} // namespace tessaline
