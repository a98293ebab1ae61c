// A block of consecutive GL display-list names, deleted with the block.
// Needs the context it was made in to be current when it is destroyed.
#pragma once

#include <GL/gl.h>

#include <utility>

namespace tessaline {

class display_lists {
  public:
    display_lists() = default;
    explicit display_lists(GLsizei count) : base_(glGenLists(count)), count_(base_ ? count : 0) {}
    ~display_lists() { release(); }

    display_lists(const display_lists&) = delete;
    display_lists& operator=(const display_lists&) = delete;
    display_lists(display_lists&& other) noexcept
        : base_(std::exchange(other.base_, 0)), count_(std::exchange(other.count_, 0)) {}
    display_lists& operator=(display_lists&& other) noexcept {
        if (this != &other) {
            release();
            base_ = std::exchange(other.base_, 0);
            count_ = std::exchange(other.count_, 0);
        }
        return *this;
    }

    // 0 when no names could be had.
    GLuint base() const { return base_; }
    GLsizei count() const { return count_; }

  private:
    void release() {
        if (base_ != 0) glDeleteLists(base_, count_);
        base_ = 0;
        count_ = 0;
    }

    GLuint base_ = 0;
    GLsizei count_ = 0;
};

} // namespace tessaline
