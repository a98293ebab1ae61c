#define GL_GLEXT_PROTOTYPES
#include "gl_buffers.h"

#include <GL/glext.h>

#include <cstdio>

namespace tessaline {

bool buffer_objects_available() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
    return major > 1 || (major == 1 && minor >= 5);
}

void gl_buffer::bind(GLenum target, const void* bytes, std::size_t size, std::uint64_t generation) {
    if (name_ == 0) glGenBuffers(1, &name_);
    glBindBuffer(target, name_);
    if (bytes == data_ && size == size_ && generation == generation_) return;
    glBufferData(target, static_cast<GLsizeiptr>(size), bytes, GL_STATIC_DRAW);
    data_ = bytes;
    size_ = size;
    generation_ = generation;
}

void gl_buffer::release() {
    if (name_ != 0) glDeleteBuffers(1, &name_);
    name_ = 0;
}

} // namespace tessaline
