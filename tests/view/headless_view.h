// A screen on a headless surface at the default view size, with helpers to
// find where a scene point lands and what colour a pixel has.
#pragma once

#include "view/headless/egl_surface.h"
#include "view/opengl_screen.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdlib>

namespace tessaline::test {

struct pixel {
    int x = 0, y = 0; // from the top left
};

class headless_view {
  public:
    explicit headless_view(pixel_size size = {815, 682})
        : surface_(size), screen(surface_, field) {}

    // Renders and keeps the frame for pixel reads.
    void render() {
        screen.render(GL_RENDER);
        frame = screen.grab_frame();
    }

    // Where a scene point (before the axis zoom) lies in the frame: the
    // camera and projection of the screen, the axis zoom of the scene.
    pixel project(float x, float y, float z) {
        screen.render(GL_RENDER);
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        const space& s = screen.get_space();
        GLdouble wx = 0, wy = 0, wz = 0;
        gluProject(x * s.axis_scale_x, y * s.axis_scale_y, z * s.axis_scale_z, model, projection,
                   viewport, &wx, &wy, &wz);
        return {static_cast<int>(std::floor(wx)),
                surface_.size().height - 1 - static_cast<int>(std::floor(wy))};
    }

    rgb_triple at(pixel p) const {
        const std::uint8_t* c = frame.row(p.y) + p.x * 3;
        return {c[0], c[1], c[2]};
    }

    pixel_size size() const { return surface_.size(); }

  private:
    egl_surface surface_;

  public:
    Datafield field;
    TOpenGLScreen screen;
    rgb_image frame;
};

inline bool near(rgb_triple a, rgb_triple b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

inline bool is_white(rgb_triple c) {
    return c.r == 255 && c.g == 255 && c.b == 255;
}

} // namespace tessaline::test
