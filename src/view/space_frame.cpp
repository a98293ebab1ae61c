// The frame around the graph: axis lines, arrow heads, ticks and labels.
#include "space.h"

#include "windows_1252.h"

#include <algorithm>
#include <cmath>

namespace tessaline {

bool space::axes_at_corner() const {
    return datafield.scaling == axis_scaling::fit;
}

vector_3d space::axis_origin() const {
    if (!axes_at_corner()) return {};
    return {-axis_scale_x, -axis_scale_y, -axis_scale_z};
}

void space::draw_axes() {
    // Through the origin, or from the data's lowest corner where the scaling
    // puts the data's range, not zero, into the view.
    const float o = axes_at_corner() ? -1.0f : 0.0f;
    const float from = axes_at_corner() ? -1.0f : -1.2f;
    glLineWidth(1);
    glBegin(GL_LINES);
    glColor3ub(255, 0, 0);
    glVertex3f(from, o, o);
    glVertex3f(1.2f, o, o);
    glColor3ub(0, 255, 0);
    glVertex3f(o, from, o);
    glVertex3f(o, 1.2f, o);
    glColor3ub(0, 0, 255);
    glVertex3f(o, o, from);
    glVertex3f(o, o, 1.2f);
    glEnd();
}

void space::draw_arrow_heads() {
    // Outside the axis scales, so the heads keep their size at any zoom.
    const vector_3d o = axis_origin();
    glPushMatrix();
    glColor3ub(255, 0, 0);
    glTranslatef(1.2f * axis_scale_x, o.y, o.z);
    draw_arrow_head();
    glPopMatrix();

    glPushMatrix();
    glColor3ub(0, 255, 0);
    glTranslatef(o.x, 1.2f * axis_scale_y, o.z);
    glRotatef(90, 0, 0, 1);
    draw_arrow_head();
    glPopMatrix();

    glPushMatrix();
    glColor3ub(0, 0, 255);
    glTranslatef(o.x, o.y, 1.2f * axis_scale_z);
    glRotatef(270, 0, 1, 0);
    draw_arrow_head();
    glPopMatrix();
}

void space::draw_arrow_head() {
    const GLfloat tip[3] = {0, 0, 0};
    const GLfloat b1[3] = {-0.1f, 0, 0.015f};
    const GLfloat b2[3] = {-0.1f, 0.015f, 0};
    const GLfloat b3[3] = {-0.1f, 0, -0.015f};
    const GLfloat b4[3] = {-0.1f, -0.015f, 0};
    glBegin(GL_TRIANGLES);
    const GLfloat* sides[4][2] = {{b1, b2}, {b2, b3}, {b3, b4}, {b4, b1}};
    for (const auto& side : sides) {
        glVertex3fv(tip);
        glVertex3fv(side[0]);
        glVertex3fv(side[1]);
    }
    glEnd();
    glBegin(GL_LINES);
    const GLfloat* lines[8][2] = {{tip, b1}, {tip, b3}, {tip, b4}, {tip, b2},
                                  {b1, b4},  {b4, b3},  {b3, b2},  {b2, b1}};
    for (const auto& line : lines) {
        glVertex3fv(line[0]);
        glVertex3fv(line[1]);
    }
    glEnd();
}

void space::draw_frame() {
    const float t = static_cast<float>(point_size) * 0.002f;
    const float tick_width = std::max(3.0f, std::round(static_cast<float>(point_size) / 3.0f));

    const vector_3d o = axis_origin();
    glColor3ub(100, 100, 100);
    glLineWidth(tick_width);
    glPushMatrix();
    glTranslatef(0, o.y, o.z);
    glBegin(GL_LINES);
    for (std::size_t i = 1; i < datafield.marks_x.size(); ++i) {
        const float p = datafield.marks_x[i].position;
        if (t_turn.x) {
            glVertex3f(p, t, 0);
            glVertex3f(p, -t, 0);
        } else {
            glVertex3f(p, 0, t);
            glVertex3f(p, 0, -t);
        }
    }
    glEnd();
    glPopMatrix();
    glPushMatrix();
    glTranslatef(o.x, 0, o.z);
    glBegin(GL_LINES);
    for (std::size_t i = 1; i < datafield.marks_y.size(); ++i) {
        const float p = datafield.marks_y[i].position;
        if (t_turn.y) {
            glVertex3f(t, p, 0);
            glVertex3f(-t, p, 0);
        } else {
            glVertex3f(0, p, t);
            glVertex3f(0, p, -t);
        }
    }
    glEnd();
    glPopMatrix();
    glPushMatrix();
    glTranslatef(o.x, o.y, 0);
    glBegin(GL_LINES);
    for (std::size_t i = 1; i < datafield.marks_z.size(); ++i) {
        const float p = datafield.marks_z[i].position;
        if (t_turn.z) {
            glVertex3f(t, 0, p);
            glVertex3f(-t, 0, p);
        } else {
            glVertex3f(0, t, p);
            glVertex3f(0, -t, p);
        }
    }
    glEnd();
    glPopMatrix();
    glLineWidth(1);

    glColor3ub(font_color.r, font_color.g, font_color.b);
    draw_axis_labels(datafield.marks_x, 0, t);
    draw_axis_labels(datafield.marks_y, 1, t);
    draw_axis_labels(datafield.marks_z, 2, t);
}

// Each step multiplies onto the matrix, so the last one acts first on the
// glyphs: the steps place a text that draw_text lays out along +X.
void space::draw_axis_labels(const marks& list, int axis, float t) {
    const float s = font_size;
    const float h = label_height(s);
    const vector_3d o = axis_origin();
    for (const mark& entry : list) {
        const label_run text = layout_label(entry.text);
        const float w = text.advance * s;
        const float p = entry.position;
        glPushMatrix();
        glTranslatef(axis == 0 ? 0 : o.x, axis == 1 ? 0 : o.y, axis == 2 ? 0 : o.z);
        if (axis == 0) {
            if (t_turn.x) glRotatef(270, 1, 0, 0);
            glRotatef(90, 1, 0, 0);
            glTranslatef(0, -h - 2 * t, 0);
            glTranslatef(0, t_shift.x ? h + 4 * t : 0, 0);
            draw_label(text, t_inv.x, p, 0, 0, s, 0, 0, 0, 0, t_overturn.x);
        } else if (axis == 1) {
            if (t_turn.y) glRotatef(270, 0, 1, 0);
            glTranslatef(0, 0, -h - 2 * t);
            glRotatef(90, 0, 1, 0);
            glTranslatef(t_shift.y ? -h - 4 * t : 0, 0, 0);
            draw_label(text, t_inv.y, 0, p, 0, s, 90, 0, 0, 1, t_overturn.y);
        } else {
            if (t_turn.z) glRotatef(270, 0, 0, 1);
            glTranslatef(0, -w - 2 * t, 0);
            glRotatef(270, 0, 0, 1);
            // Mirrored or overturned (not both) a Z label runs the other way;
            // moving it by its width keeps it in the same band.
            const float d = (t_shift.z ? -w - 4 * t : 0) - (t_inv.z != t_overturn.z ? w : 0);
            glTranslatef(d, 0, 0);
            draw_label(text, !t_inv.z, 0, 0, p, s, 90, 1, 0, 0, t_overturn.z);
        }
        glPopMatrix();
    }
}

void space::place_text(bool mirror, float x, float y, float z, float size, float angle, float ax,
                       float ay, float az, bool overturn) {
    glTranslatef(x, y, z);
    if (angle != 0) glRotatef(angle, ax, ay, az);
    float sx = size, sy = size;
    const float sz = size;
    if (mirror) sx = -sx;
    if (overturn) {
        sx = -sx;
        sy = -sy;
        glTranslatef(0, label_height(size), 0);
    }
    glScalef(sx, sy, sz);
}

void space::draw_text(std::string_view text, bool mirror, float x, float y, float z, float size,
                      float angle, float ax, float ay, float az, bool overturn) {
    // Base 0 would call whatever lists 1 .. 255 are.
    if (solid_font_base.base() == 0 || outline_font_base.base() == 0) return;
    glPushMatrix();
    place_text(mirror, x, y, z, size, angle, ax, ay, az, overturn);
    const auto count = static_cast<GLsizei>(text.size());
    glPushMatrix();
    glListBase(solid_font_base.base());
    glCallLists(count, GL_UNSIGNED_BYTE, text.data());
    glPopMatrix();
    // The outline over the filled glyphs smooths their edges.
    glListBase(outline_font_base.base());
    glCallLists(count, GL_UNSIGNED_BYTE, text.data());
    glPopMatrix();
}

void space::draw_label(const label_run& run, bool mirror, float x, float y, float z, float size,
                       float angle, float ax, float ay, float az, bool overturn) {
    if (run.classic) {
        draw_text(run.bytes, mirror, x, y, z, size, angle, ax, ay, az, overturn);
        return;
    }
    if (solid_font_base.base() == 0 || outline_font_base.base() == 0) return;
    glPushMatrix();
    place_text(mirror, x, y, z, size, angle, ax, ay, az, overturn);
    // The names are whole list names: no base added.
    const auto count = static_cast<GLsizei>(run.solid.size());
    glListBase(0);
    glPushMatrix();
    glCallLists(count, GL_UNSIGNED_INT, run.solid.data());
    glPopMatrix();
    glCallLists(count, GL_UNSIGNED_INT, run.outline.data());
    glPopMatrix();
}

} // namespace tessaline
