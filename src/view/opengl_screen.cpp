#include "opengl_screen.h"

#include "framing.h"

#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>

namespace tessaline {

TOpenGLScreen::TOpenGLScreen(surface& panel_, Datafield& datafield) : panel(panel_) {
    panel.make_current();
    init_gl();
    set_projection();
    rotate_factor_a = 0.1f;
    rotate_factor_b = 0.1f;
    move_factor = 0.001f;
    reset_view();
    mode = nav_rotate;
    scene_ = std::make_unique<space>(datafield, alpha, betta);
}

void TOpenGLScreen::init_gl() {
    glClearColor(1, 1, 1, 1);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void TOpenGLScreen::apply_projection(pixel_size size) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = static_cast<double>(size.width) / size.height;
    if (orthographic) {
        // The picture the perspective shows in the plane through the centre.
        const double h = radius * std::tan(fov * std::numbers::pi / 360);
        glOrtho(-h * aspect, h * aspect, -h, h, -500, 500);
    } else {
        gluPerspective(fov, aspect, 1, 500);
    }
    glMatrixMode(GL_MODELVIEW);
}

void TOpenGLScreen::set_projection() {
    const pixel_size size = panel.size();
    glViewport(0, 0, size.width, size.height);
    apply_projection(size);
}

void TOpenGLScreen::apply_camera() {
    glLoadIdentity();
    glTranslatef(0, 0, -radius);
    glTranslatef(move_a, move_b, 0);
    glRotatef(betta, 1, 0, 0);
    glRotatef(alpha, 0, 0, 1);
}

void TOpenGLScreen::render(render_mode mode_) {
    panel.make_current();
    panel.bind_target(mode_ == GL_SELECT ? render_target::id_picture : render_target::frame);
    // The whole fixed state of a frame, viewport included, is set here: the
    // two targets share one context, and a host may change state between
    // frames or resize the surface without telling.
    init_gl();
    const pixel_size size = panel.size();
    glViewport(0, 0, size.width, size.height);
    apply_projection(size);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    apply_camera();
    glColor3ub(255, 255, 255);
    if (mode_ == GL_SELECT || !interacting_) {
        scene_->draw(mode_);
    } else {
        space& s = *scene_;
        if (drag_stride_ == 0 || drag_revision_ != s.datafield.revision) {
            // A first guess from the size: a software renderer draws some
            // hundred thousand small primitives in the time.
            const std::int64_t work = static_cast<std::int64_t>(s.datafield.points.size()) +
                                      static_cast<std::int64_t>(s.datafield.faces.size()) * 3;
            drag_stride_ = static_cast<std::int32_t>(std::max<std::int64_t>(1, work / 150000));
            drag_revision_ = s.datafield.revision;
        }
        s.drag_stride = drag_stride_;
        const auto started = std::chrono::steady_clock::now();
        s.draw(mode_);
        glFinish();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count();
        s.drag_stride = 1;
        // Towards the target, at most four times coarser or twice finer a frame.
        if (ms > target_drag_ms * 1.25 || ms < target_drag_ms * 0.5) {
            const double wanted = drag_stride_ * std::clamp(ms / target_drag_ms, 0.5, 4.0);
            drag_stride_ = static_cast<std::int32_t>(std::clamp(std::ceil(wanted), 1.0, 1e6));
        }
    }
    if (mode_ == GL_SELECT) {
        kept_inputs_ = current_id_picture_inputs();
        id_picture_kept_ = true;
    } else {
        panel.present();
    }
}

TOpenGLScreen::id_picture_inputs TOpenGLScreen::current_id_picture_inputs() const {
    const space& s = *scene_;
    return {alpha,
            betta,
            radius,
            move_a,
            move_b,
            fov,
            orthographic,
            s.datafield.revision,
            s.datafield.gl_points.data(),
            s.datafield.gl_points.size(),
            s.point_size,
            s.axis_scale_x,
            s.axis_scale_y,
            s.axis_scale_z,
            s.mode_points,
            panel.size()};
}

void TOpenGLScreen::set_interacting(bool on) {
    interacting_ = on;
}

void TOpenGLScreen::zoom(float step) {
    const float q = radius / 300;
    radius = radius + step * q;
    if (radius < 0.2f) radius = 0.2f;
    if (radius > 300) radius = 300;
}

void TOpenGLScreen::drag(float a, float b) {
    switch (mode) {
    case nav_rotate:
        alpha = alpha - a * rotate_factor_a;
        betta = betta + b * rotate_factor_b;
        break;
    case nav_move:
        move_a = move_a - a * move_factor;
        move_b = move_b - b * move_factor;
        break;
    case nav_zoom:
        zoom(b);
        break;
    default:
        break;
    }
}

std::int32_t TOpenGLScreen::pick_point(int x, int y) {
    const pixel_size size = panel.size();
    if (x < 0 || y < 0 || x >= size.width || y >= size.height) return background_id;
    if (!id_picture_kept_ || !(kept_inputs_ == current_id_picture_inputs())) render(GL_SELECT);
    panel.make_current();
    panel.bind_target(render_target::id_picture);
    GLubyte pixel[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, size.height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    return color_to_id({pixel[0], pixel[1], pixel[2]});
}

bool TOpenGLScreen::hover_at(int x, int y) {
    const std::int32_t before = scene_->hover_point_id;
    scene_->hover_point(pick_point(x, y));
    return scene_->hover_point_id != before;
}

void TOpenGLScreen::reset_view() {
    alpha = 315;
    betta = 315;
    radius = 10;
    move_a = 0;
    move_b = 0;
}

float TOpenGLScreen::framing_radius() const {
    const space& s = *scene_;
    const pixel_size size = panel.size();
    double aspect =
        size.width > 0 && size.height > 0 ? static_cast<double>(size.width) / size.height : 1;
    // The colour bar holds the right edge: the graph, centred, is framed into
    // the width that leaves it free.
    if (s.colours != colour_map::off && s.colour_bar && !s.datafield.points.empty() &&
        size.width > 0 && size.height > 0) {
        const colour_bar_box bar = s.colour_bar_place(size.width, size.height);
        const double free_width = 2.0 * bar.x - size.width;
        if (free_width > 0.3 * size.width) aspect *= free_width / size.width;
    }
    return tessaline::framing_radius({{alpha, betta},
                                      s.axis_scale_x,
                                      s.axis_scale_y,
                                      s.axis_scale_z,
                                      fov,
                                      aspect,
                                      orthographic});
}

void TOpenGLScreen::frame_view(view_angles angles) {
    alpha = angles.alpha;
    betta = angles.betta;
    move_a = 0;
    move_b = 0;
    radius = framing_radius();
}

rgb_image TOpenGLScreen::grab_frame() {
    const pixel_size size = panel.size();
    rgb_image image;
    if (size.width <= 0 || size.height <= 0) return image;
    image.width = size.width;
    image.height = size.height;
    image.pixels.resize(static_cast<std::size_t>(size.width) * size.height * 3);
    panel.make_current();
    panel.bind_target(render_target::frame);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<std::uint8_t> bottom_up(image.pixels.size());
    glReadPixels(0, 0, size.width, size.height, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());
    const std::size_t stride = static_cast<std::size_t>(size.width) * 3;
    for (int y = 0; y < size.height; ++y)
        std::copy_n(bottom_up.data() + static_cast<std::size_t>(size.height - 1 - y) * stride,
                    stride, image.row(y));
    return image;
}

} // namespace tessaline
