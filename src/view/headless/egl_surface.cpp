#include "egl_surface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>

namespace tessaline {

namespace {

[[noreturn]] void fail(const std::string& what) {
    char code[32];
    std::snprintf(code, sizeof code, " (EGL error 0x%04X)", static_cast<unsigned>(eglGetError()));
    throw std::runtime_error("Headless OpenGL: " + what + code);
}

bool has_extension(const char* list, const char* name) {
    if (!list) return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    return false;
}

// One initialised display for the whole process: terminating it would pull
// the contexts of every other surface away with it.
class egl_display {
  public:
    static std::shared_ptr<egl_display> get() {
        static std::mutex mutex;
        static std::weak_ptr<egl_display> shared;
        std::lock_guard lock(mutex);
        auto display = shared.lock();
        if (!display) {
            display = std::shared_ptr<egl_display>(new egl_display());
            shared = display;
        }
        return display;
    }
    ~egl_display() { eglTerminate(display_); }
    egl_display(const egl_display&) = delete;
    egl_display& operator=(const egl_display&) = delete;
    EGLDisplay handle() const { return display_; }

  private:
    egl_display() {
        const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (!has_extension(client, "EGL_MESA_platform_surfaceless"))
            fail("Mesa's surfaceless EGL platform is not available");
        auto get_platform_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!get_platform_display) fail("eglGetPlatformDisplayEXT is missing");
        display_ =
            get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display_ == EGL_NO_DISPLAY) fail("no surfaceless display");
        EGLint major = 0, minor = 0;
        if (!eglInitialize(display_, &major, &minor)) fail("cannot initialise the display");
    }
    EGLDisplay display_ = EGL_NO_DISPLAY;
};

// Framebuffer objects are core only from OpenGL 3.0 on; their entry points
// come through EGL.
struct framebuffer_functions {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;

    template <typename F> static void load(F& f, const char* name) {
        f = reinterpret_cast<F>(eglGetProcAddress(name));
        if (!f) fail(std::string("the renderer lacks ") + name);
    }
    framebuffer_functions() {
        load(gen_framebuffers, "glGenFramebuffers");
        load(delete_framebuffers, "glDeleteFramebuffers");
        load(bind_framebuffer, "glBindFramebuffer");
        load(framebuffer_renderbuffer, "glFramebufferRenderbuffer");
        load(check_framebuffer_status, "glCheckFramebufferStatus");
        load(gen_renderbuffers, "glGenRenderbuffers");
        load(delete_renderbuffers, "glDeleteRenderbuffers");
        load(bind_renderbuffer, "glBindRenderbuffer");
        load(renderbuffer_storage, "glRenderbufferStorage");
    }
};

std::string too_large(pixel_size size) {
    return "a picture of " + std::to_string(size.width) + "x" + std::to_string(size.height) +
           " pixels is too large";
}

// The renderer's own limits, said as such rather than as an incomplete
// framebuffer.
void check_size(pixel_size size) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    GLint widest = largest, highest = largest;
    if (viewport[0] > 0 && (widest <= 0 || viewport[0] < widest)) widest = viewport[0];
    if (viewport[1] > 0 && (highest <= 0 || viewport[1] < highest)) highest = viewport[1];
    if ((widest > 0 && size.width > widest) || (highest > 0 && size.height > highest))
        throw std::runtime_error(too_large(size) + ": this renderer draws at most " +
                                 std::to_string(widest) + "x" + std::to_string(highest));
}

std::string memory_refusal(pixel_size size) {
    return too_large(size) + " for the renderer's memory: it needs about " +
           std::to_string(egl_surface::memory_needed(size) / 1'000'000 + 1) + " MB";
}

void check_memory(pixel_size size) {
    if (glGetError() == GL_OUT_OF_MEMORY) throw std::runtime_error(memory_refusal(size));
}

// A colour and a depth renderbuffer behind one framebuffer object; deleted
// with it while the owning context is current.
class offscreen_target {
  public:
    explicit offscreen_target(const framebuffer_functions& gl) : gl_(gl) {
        gl_.gen_framebuffers(1, &framebuffer_);
        gl_.gen_renderbuffers(2, renderbuffers_);
    }
    ~offscreen_target() {
        gl_.delete_framebuffers(1, &framebuffer_);
        gl_.delete_renderbuffers(2, renderbuffers_);
    }
    offscreen_target(const offscreen_target&) = delete;
    offscreen_target& operator=(const offscreen_target&) = delete;

    void allocate(pixel_size size) {
        check_size(size);
        // Earlier errors must not be taken for this allocation's.
        for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
        }
        gl_.bind_renderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
        gl_.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, size.width, size.height);
        gl_.bind_renderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
        gl_.renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size.width, size.height);
        gl_.bind_renderbuffer(GL_RENDERBUFFER, 0);
        check_memory(size);
        bind();
        gl_.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                     renderbuffers_[0]);
        gl_.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                     renderbuffers_[1]);
        // Mesa says nothing but this when its memory does not reach.
        if (gl_.check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            throw std::runtime_error(memory_refusal(size));
    }

    void bind() const {
        gl_.bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    }

  private:
    const framebuffer_functions& gl_;
    GLuint framebuffer_ = 0;
    GLuint renderbuffers_[2] = {0, 0};
};

struct context_deleter {
    EGLDisplay display;
    void operator()(void* context) const {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
    }
};

} // namespace

struct egl_surface::state {
    std::shared_ptr<egl_display> display;
    std::unique_ptr<void, context_deleter> context{nullptr, context_deleter{EGL_NO_DISPLAY}};
    std::unique_ptr<framebuffer_functions> gl;
    std::unique_ptr<offscreen_target> frame;
    std::unique_ptr<offscreen_target> id_picture;
};

egl_surface::egl_surface(pixel_size size) : state_(std::make_unique<state>()), size_(size) {
    if (size.width <= 0 || size.height <= 0) throw std::invalid_argument("empty surface size");
    state_->display = egl_display::get();
    const EGLDisplay display = state_->display->handle();
    if (!eglBindAPI(EGL_OPENGL_API)) fail("desktop OpenGL is not available");
    const EGLint config_attributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    // Drawing goes to framebuffer objects, so the context needs no config
    // where the platform allows that.
    if (!has_extension(extensions, "EGL_KHR_no_config_context") &&
        (!eglChooseConfig(display, config_attributes, &config, 1, &count) || count == 0))
        fail("no OpenGL config");
    // A compatibility context: the drawing is fixed-function.
    const EGLint context_attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config ? config : EGL_NO_CONFIG_KHR,
                                          EGL_NO_CONTEXT, context_attributes);
    if (context == EGL_NO_CONTEXT) fail("cannot create an OpenGL context");
    state_->context = std::unique_ptr<void, context_deleter>(context, context_deleter{display});
    make_current();
    state_->gl = std::make_unique<framebuffer_functions>();
    state_->frame = std::make_unique<offscreen_target>(*state_->gl);
    state_->id_picture = std::make_unique<offscreen_target>(*state_->gl);
    resize(size);
}

egl_surface::~egl_surface() {
    // The framebuffers belong to this context: delete them while it is current.
    eglMakeCurrent(state_->display->handle(), EGL_NO_SURFACE, EGL_NO_SURFACE,
                   state_->context.get());
    state_->id_picture.reset();
    state_->frame.reset();
}

void egl_surface::make_current() {
    if (eglGetCurrentContext() == state_->context.get()) return;
    if (!eglMakeCurrent(state_->display->handle(), EGL_NO_SURFACE, EGL_NO_SURFACE,
                        state_->context.get()))
        fail("cannot make the context current");
}

std::uint64_t egl_surface::memory_needed(pixel_size size) {
    // Colour and depth of two targets, the pixels read back and the picture.
    constexpr std::uint64_t bytes_per_pixel = 2 * (4 + 4) + 3 + 3 + 4;
    return bytes_per_pixel * static_cast<std::uint64_t>(std::max(size.width, 0)) *
           static_cast<std::uint64_t>(std::max(size.height, 0));
}

void egl_surface::resize(pixel_size size) {
    if (size.width <= 0 || size.height <= 0) throw std::invalid_argument("empty surface size");
    make_current();
    state_->id_picture->allocate(size);
    state_->frame->allocate(size);
    size_ = size;
}

void egl_surface::bind_target(render_target target) {
    (target == render_target::frame ? state_->frame : state_->id_picture)->bind();
}

void egl_surface::present() {
    glFlush();
}

} // namespace tessaline
