#include "space.h"

#include "glyph_lists.h"
#include "windows_1252.h"

#include <algorithm>

namespace tessaline {

space::space(Datafield& field, const float& alpha, const float& betta)
    : datafield(field), view_alpha(alpha), view_betta(betta) {
    buffers_available_ = buffer_objects_available();
    reset_settings();
    build_fonts();
    mode_points = true;
    mode_lines = false;
    mode_poligones = false;
    point_size = 7;
    hover_point_id = -1;
    selected_point_id = -1;
}

void space::build_fonts() {
    outline_font_base = display_lists(glyph_count);
    solid_font_base = display_lists(glyph_count);
    glyph_metrics = {};
    if (outline_font_base.base() == 0 || solid_font_base.base() == 0) return;
    face_ = label_face::open_sans();
    const auto& face = face_;
    unicode_glyphs_ = unicode_glyphs(face_.get());
    for (int code = 0; code < glyph_count; ++code) {
        // Without a face every list is empty and every advance zero:
        // labels vanish, the rest of the scene still draws.
        const glyph_outline glyph =
            face ? face->outline(static_cast<std::uint8_t>(code)) : glyph_outline{};
        compile_outline_glyph(outline_font_base.base() + code, glyph);
        compile_solid_glyph(solid_font_base.base() + code, glyph);
        glyph_metrics[code] = glyph.metric;
    }
}

void space::reset_settings() {
    font_base_size = 0.1f;
    font_size = 0.1f;
    axis_scale_x = axis_scale_y = axis_scale_z = 1;
    t_shift = t_turn = t_inv = t_overturn = {};
}

void space::set_font_zoom(std::int32_t step) {
    font_size = zoom_factor(step) * font_base_size;
}

void space::set_axis_zoom(std::int32_t step_x, std::int32_t step_y, std::int32_t step_z) {
    axis_scale_x = zoom_factor(step_x);
    axis_scale_y = zoom_factor(step_y);
    axis_scale_z = zoom_factor(step_z);
}

void space::set_graph_mode(bool points, bool lines, bool poligones) {
    mode_points = points;
    mode_lines = lines;
    mode_poligones = poligones;
}

std::int32_t space::point_count() const {
    return static_cast<std::int32_t>(std::min(datafield.points.size(), datafield.gl_points.size()));
}

void space::select_point(std::int32_t id) {
    if (id < point_count()) selected_point_id = std::max(id, -1);
}

void space::hover_point(std::int32_t id) {
    hover_point_id = id < point_count() ? std::max(id, -1) : -1;
}

float space::label_width(std::string_view text, float size) const {
    float sum = 0;
    for (char c : text)
        sum += glyph_metrics[static_cast<std::uint8_t>(c)].cell_inc_x;
    return size * sum;
}

label_run space::layout_label(std::string_view utf8) {
    label_run run;
    for (char32_t c : utf8_code_points(utf8)) {
        std::uint8_t byte = c == 0xFFFD ? '?' : windows_1252_byte(c);
        const unicode_glyphs::glyph* made = byte == 0 ? unicode_glyphs_.find(c) : nullptr;
        // Beyond every face: the code page's stand-in, as always.
        if (byte == 0 && !made) byte = '?';
        if (made) {
            run.classic = false;
            run.solid.push_back(made->solid);
            run.outline.push_back(made->outline);
            run.advance += made->metric.cell_inc_x;
            continue;
        }
        run.bytes += static_cast<char>(byte);
        run.solid.push_back(solid_font_base.base() + byte);
        run.outline.push_back(outline_font_base.base() + byte);
        run.advance += glyph_metrics[byte].cell_inc_x;
    }
    return run;
}

float space::label_height(float size) {
    return size * 0.5f * 1.2f;
}

void space::draw(render_mode mode) {
    // Every frame sets the state it relies on, so that what was drawn
    // before (or by a host toolkit) never changes the picture.
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    if (mode == GL_SELECT) {
        // Ids must land in the buffer exactly.
        glDisable(GL_BLEND);
        glDisable(GL_POINT_SMOOTH);
        glDisable(GL_LINE_SMOOTH);
        glDisable(GL_POLYGON_SMOOTH);
        glPushMatrix();
        glScalef(axis_scale_x, axis_scale_y, axis_scale_z);
        if (mode_points) draw_id_points();
        glPopMatrix();
        return;
    }

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    if (drag_stride <= 1) {
        glEnable(GL_POLYGON_SMOOTH);
        glEnable(GL_LINE_SMOOTH);
        glEnable(GL_POINT_SMOOTH);
    } else {
        glDisable(GL_POLYGON_SMOOTH);
        glDisable(GL_LINE_SMOOTH);
        glDisable(GL_POINT_SMOOTH);
    }

    glPushMatrix();
    glScalef(axis_scale_x, axis_scale_y, axis_scale_z);
    if (mode_poligones) {
        lighting_on();
        draw_poligones();
        lighting_off();
    }
    draw_axes();
    if (mode_lines) draw_lines();
    if (mode_points) draw_points();
    glPopMatrix();

    draw_frame();
    draw_arrow_heads();
    draw_colour_bar();
    placed_label_.reset();
    if (mode_points) {
        draw_point_label(hover_point_id);
        draw_point_label(selected_point_id);
    }

    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_BLEND);
}

} // namespace tessaline
