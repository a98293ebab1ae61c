// The 3-D view on a drawing surface: the camera and its navigation, the
// projection, one frame per request, and picking the point under a pixel
// through the hidden id picture. Owns the scene.
#pragma once

#include "rgb_image.h"
#include "space.h"
#include "surface.h"
#include "view_angles.h"

#include <cstdint>
#include <memory>

namespace tessaline {

inline constexpr std::int32_t nav_rotate = 0;
inline constexpr std::int32_t nav_move = 1;
inline constexpr std::int32_t nav_zoom = 2;

// The id a pick returns where no point is: the white background's.
inline constexpr std::int32_t background_id = 16777214;

class TOpenGLScreen {
  public:
    // Makes the surface current and builds the scene's glyph lists there.
    TOpenGLScreen(surface& panel, Datafield& datafield);

    void init_gl();
    void set_projection();
    // GL_RENDER draws the visible frame and presents it; GL_SELECT draws the
    // id picture into its own hidden target.
    void render(render_mode mode);
    void zoom(float step);
    void drag(float a, float b);
    // x, y in device pixels from the top left; background_id off the points.
    std::int32_t pick_point(int x, int y);
    // Hovers the point under the pixel; true when the hovered point changed,
    // that is when a frame is due.
    bool hover_at(int x, int y);
    void set_mode_rotate() { mode = nav_rotate; }
    void set_mode_move() { mode = nav_move; }
    void set_mode_zoom() { mode = nav_zoom; }
    void reset_view();
    // While on (a button held, the wheel turning), frames draw a reduced
    // graph whose share is chosen from the times of the frames before, so
    // that each takes about target_drag_ms; off, the next frame is whole.
    void set_interacting(bool on);
    bool interacting() const { return interacting_; }
    float target_drag_ms = 40;
    // Turns the camera to the angles, centres it and moves it out just far
    // enough for the axes and the graph to fill the view.
    void frame_view(view_angles angles = default_view);
    // The radius at which the scene's box fits the view at the current angles.
    float framing_radius() const;
    space& get_space() { return *scene_; }

    // The visible frame as last drawn, top row first.
    rgb_image grab_frame();

    surface& panel;
    float fov = 15;
    // Parallel projection; its scale follows radius as the perspective's
    // picture size does at the centre.
    bool orthographic = false;
    float rotate_factor_a = 0.1f;
    float rotate_factor_b = 0.1f;
    float move_factor = 0.001f;
    std::int32_t mode = nav_rotate;
    float alpha = 315;
    float betta = 315;
    float radius = 10;
    float move_a = 0;
    float move_b = 0;

  private:
    // Everything the id picture depends on; while it stays the same, picks
    // read the kept picture instead of drawing it again.
    struct id_picture_inputs {
        float alpha, betta, radius, move_a, move_b, fov;
        bool orthographic;
        std::uint64_t revision;
        const void* points;
        std::size_t point_count;
        std::int32_t point_size;
        float axis_scale_x, axis_scale_y, axis_scale_z;
        bool mode_points;
        pixel_size size;
        bool operator==(const id_picture_inputs&) const = default;
    };
    id_picture_inputs current_id_picture_inputs() const;
    void apply_projection(pixel_size size);
    void apply_camera();

    std::unique_ptr<space> scene_;
    bool interacting_ = false;
    // The stride the last reduced frames settled on, for the data they drew.
    std::int32_t drag_stride_ = 0;
    std::uint64_t drag_revision_ = 0;
    bool id_picture_kept_ = false;
    id_picture_inputs kept_inputs_{};
};

} // namespace tessaline
