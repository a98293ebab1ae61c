// The scene the screen draws inside its camera transform: the three axes
// with arrow heads, ticks and 3-D glyph labels, the graph layers (points,
// face edges, lit faces), the hover and selection markers with their label
// boxes, and the id picture used for picking.
#pragma once

#include "display_lists.h"
#include "gl_buffers.h"
#include "graph_arrays.h"
#include "label_face.h"
#include "unicode_glyphs.h"

#include "graph/datafield.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// GL_RENDER draws the visible frame; GL_SELECT the id picture, never shown.
using render_mode = GLenum;

// A label laid out for drawing: its glyphs' list names and its advance in
// em units. classic: every character is in the 1-byte code page, and bytes
// holds them, so that it draws as a label always has.
struct label_run {
    bool classic = true;
    std::string bytes;
    std::vector<GLuint> solid, outline;
    float advance = 0;
};

struct axis_flags {
    bool x = false, y = false, z = false;
    bool operator==(const axis_flags&) const = default;
};

// Where the colour bar stands, in window pixels from the bottom left.
struct colour_bar_box {
    float x, y, w, h;
};

class space {
  public:
    // One list per byte value; byte 0 and the undefined bytes draw nothing.
    static constexpr int glyph_count = 256;

    // Needs the rendering context current: the glyph lists are made here.
    space(Datafield& field, const float& alpha, const float& betta);

    void draw(render_mode mode);

    // Frame: axes, arrow heads, ticks and labels.
    void draw_frame();
    void draw_axes();
    void draw_arrow_heads();
    void draw_arrow_head();
    // text is Windows-1252 bytes. angle 0 means no turn.
    void draw_text(std::string_view text, bool mirror, float x, float y, float z, float size,
                   float angle, float ax, float ay, float az, bool overturn);
    float label_width(std::string_view text, float size) const;
    // A UTF-8 label: characters of the code page from its glyph lists, any
    // other from a glyph made for it on first use.
    label_run layout_label(std::string_view utf8);
    void draw_label(const label_run& run, bool mirror, float x, float y, float z, float size,
                    float angle, float ax, float ay, float az, bool overturn);
    static float label_height(float size);
    void build_fonts();

    // The colour bar at the right edge, while colouring by height.
    void draw_colour_bar();
    colour_bar_box colour_bar_place(int view_width, int view_height) const;

    // Graph layers and selection.
    void draw_points();
    void draw_lines();
    void lighting_on();
    void draw_poligones();
    void lighting_off();
    void draw_id_points();
    void draw_point_label(std::int32_t id);
    // "p<n> (x: .., y: .., z: ..)" of a point id; empty for an id that names
    // no point.
    std::string point_label_text(std::int32_t id) const;

    // Settings; setters only store, the caller redraws.
    void reset_settings();
    void set_t_shift(bool x, bool y, bool z) { t_shift = {x, y, z}; }
    void set_t_turn(bool x, bool y, bool z) { t_turn = {x, y, z}; }
    void set_t_inv(bool x, bool y, bool z) { t_inv = {x, y, z}; }
    void set_t_overturn(bool x, bool y, bool z) { t_overturn = {x, y, z}; }
    void set_font_zoom(std::int32_t step);
    void set_axis_zoom(std::int32_t step_x, std::int32_t step_y, std::int32_t step_z);
    void set_font_color(rgb_triple color) { font_color = color; }
    void set_graph_mode(bool points, bool lines, bool poligones);
    void set_point_size(std::int32_t n) { point_size = n; }
    void select_point(std::int32_t id);
    void hover_point(std::int32_t id);

    // The number of points, which bounds every point id.
    std::int32_t point_count() const;

    Datafield& datafield;
    display_lists outline_font_base;
    display_lists solid_font_base;
    std::array<glyph_metric, glyph_count> glyph_metrics{};
    float font_base_size = 0.1f;
    float font_size = 0.1f;
    axis_flags t_shift, t_turn, t_inv, t_overturn;
    float axis_scale_x = 1, axis_scale_y = 1, axis_scale_z = 1;
    std::int32_t point_size = 7;
    bool mode_points = true;
    bool mode_lines = false;
    bool mode_poligones = false;
    std::int32_t hover_point_id = -1;
    const float& view_alpha;
    const float& view_betta;
    rgb_triple font_color{0, 0, 0};
    std::int32_t selected_point_id = -1;
    // Of the numbers in point labels; the desktop sets the user's own.
    char decimal_separator = '.';
    // Off: every vertex is sent on its own each frame, for comparison.
    bool use_vertex_arrays = true;
    // Off: the arrays are sent from client memory each frame, as on GL 1.1.
    bool use_buffer_objects = true;
    // Colour by height; off is the classic look of one colour per layer.
    colour_map colours = colour_map::off;
    // The bar of the colour map at the view's right edge, while colouring.
    bool colour_bar = true;
    // Normals per point instead of per face.
    bool smooth_shading = false;
    // Whether the look goes beyond the classic one: faces lit on both
    // sides, with a light at the eye as well.
    bool shaped_light() const { return colours != colour_map::off || smooth_shading; }
    face_style faces_style() const { return {shaped_light(), smooth_shading}; }
    // Above 1 while the camera moves: only every drag_stride-th face and
    // point is drawn, without smoothing, so that the frames keep up.
    std::int32_t drag_stride = 1;

  private:
    // Where a point label's box stands from its point, in the box's plane.
    struct label_offset {
        float x, z;
    };
    // A label box in window pixels, bottom left and size.
    struct label_box {
        double x, y, w, h;
        bool meets(const label_box& o) const {
            return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
        }
    };
    label_offset place_label(float lw, float lh);
    std::optional<label_box> placed_label_;
    // Whether the axes meet at the data's lowest corner instead of the origin.
    bool axes_at_corner() const;
    // Where the axes meet, axis zoom included.
    vector_3d axis_origin() const;
    void draw_axis_labels(const marks& list, int axis, float t);
    void draw_point_range(std::int32_t from, std::int32_t to,
                          const std::vector<rgb_triple>* shades);

    void place_text(bool mirror, float x, float y, float z, float size, float angle, float ax,
                    float ay, float az, bool overturn);
    std::unique_ptr<label_face> face_;
    unicode_glyphs unicode_glyphs_;

    graph_arrays arrays_;
    // Whether the context has buffer objects, and those of the graph.
    bool buffers_available_ = false;
    bool buffered() const;
    void point_vertex_pointer();
    // The colours of the points and edges while colouring by height (a
    // darker shade over faces); null when not colouring.
    const std::vector<rgb_triple>* layer_colours();
    // Sets them as the colour array, from their buffer or client memory.
    void layer_colour_pointer(const std::vector<rgb_triple>& shades, std::int32_t stride);
    void send_vertex(std::int32_t id, const std::vector<rgb_triple>* shades);
    void draw_poligones_one_by_one();
    gl_buffer point_buffer_, edge_buffer_, face_buffer_, color_buffer_;
    gl_buffer point_colour_buffer_, face_colour_buffer_;
};

} // namespace tessaline
