// The graph layers, the id picture and the point markers with their labels.
#define GL_GLEXT_PROTOTYPES
#include "space.h"

#include <GL/glext.h>

#include "number_format.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace tessaline {

namespace {

void send_point(const gl_point& p) {
    glVertex3f(p.x, p.y, p.z);
}

} // namespace

// Points from..to-1, from the array or one by one; with axis limits set,
// only those inside them.
void space::draw_point_range(std::int32_t from, std::int32_t to,
                             const std::vector<rgb_triple>* shades) {
    if (from >= to) return;
    if (!datafield.shown.empty()) {
        if (use_vertex_arrays) {
            const std::vector<GLuint>& ids = arrays_.shown_points(datafield);
            const auto first = std::lower_bound(ids.begin(), ids.end(), static_cast<GLuint>(from));
            const auto last = std::lower_bound(first, ids.end(), static_cast<GLuint>(to));
            if (last > first)
                glDrawElements(GL_POINTS, static_cast<GLsizei>(last - first), GL_UNSIGNED_INT,
                               &*first);
            return;
        }
        glBegin(GL_POINTS);
        for (std::int32_t id = from; id < to; ++id)
            if (datafield.point_shown(id)) send_vertex(id, shades);
        glEnd();
        return;
    }
    if (use_vertex_arrays) {
        glDrawArrays(GL_POINTS, from, to - from);
        return;
    }
    glBegin(GL_POINTS);
    for (std::int32_t id = from; id < to; ++id)
        send_vertex(id, shades);
    glEnd();
}

void space::send_vertex(std::int32_t id, const std::vector<rgb_triple>* shades) {
    const auto i = static_cast<std::size_t>(id);
    if (shades) glColor3ub((*shades)[i].r, (*shades)[i].g, (*shades)[i].b);
    send_point(datafield.gl_points[i]);
}

const std::vector<rgb_triple>* space::layer_colours() {
    if (colours == colour_map::off) return nullptr;
    // Over coloured faces a darker shade keeps points and edges apart from them.
    const std::vector<rgb_triple>& c = mode_poligones
                                           ? arrays_.dark_point_colours(datafield, colours)
                                           : arrays_.point_colours(datafield, colours);
    return c.size() == datafield.gl_points.size() && !c.empty() ? &c : nullptr;
}

// Every stride-th entry of the colours as the colour array; from their
// buffer object when the points come from theirs.
void space::layer_colour_pointer(const std::vector<rgb_triple>& c, std::int32_t stride) {
    glEnableClientState(GL_COLOR_ARRAY);
    if (buffered() && stride <= 1) {
        point_colour_buffer_.bind(GL_ARRAY_BUFFER, c.data(), c.size() * sizeof(rgb_triple),
                                  arrays_.point_colours_generation());
        glColorPointer(3, GL_UNSIGNED_BYTE, sizeof(rgb_triple), nullptr);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return;
    }
    glColorPointer(3, GL_UNSIGNED_BYTE,
                   static_cast<GLsizei>(sizeof(rgb_triple)) * std::max(stride, 1), c.data());
}

bool space::buffered() const {
    return use_vertex_arrays && use_buffer_objects && buffers_available_ && drag_stride <= 1;
}

// The points as the vertex array: from their buffer object where there is
// one, else from client memory. Leaves no buffer bound.
void space::point_vertex_pointer() {
    if (buffered()) {
        const auto& p = datafield.gl_points;
        point_buffer_.bind(GL_ARRAY_BUFFER, p.data(), p.size() * sizeof(gl_point),
                           datafield.revision);
        glVertexPointer(3, GL_FLOAT, sizeof(gl_point), nullptr);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return;
    }
    glVertexPointer(3, GL_FLOAT, sizeof(gl_point), datafield.gl_points.data());
}

void space::draw_points() {
    const std::int32_t count = point_count();
    const std::vector<rgb_triple>* colours = layer_colours();
    // Small points over coloured faces, so that a dense graph shows its surface.
    const std::int32_t size = colours && mode_poligones ? std::min(point_size, 3) : point_size;
    glPointSize(static_cast<GLfloat>(size));
    glColor3ub(0, 0, 0);
    if (use_vertex_arrays) {
        glEnableClientState(GL_VERTEX_ARRAY);
        point_vertex_pointer();
    }
    if (use_vertex_arrays && drag_stride > 1 && datafield.shown.empty()) {
        // Every drag_stride-th point, straight from the array.
        glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(sizeof(gl_point)) * drag_stride,
                        datafield.gl_points.data());
        if (colours) layer_colour_pointer(*colours, drag_stride);
        glDrawArrays(GL_POINTS, 0, (count + drag_stride - 1) / drag_stride);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        return;
    }
    if (use_vertex_arrays && colours) layer_colour_pointer(*colours, 1);
    // The hovered and selected points are left out: their markers draw them.
    std::int32_t skip_a = hover_point_id, skip_b = selected_point_id;
    if (skip_a > skip_b) std::swap(skip_a, skip_b);
    std::int32_t from = 0;
    for (std::int32_t skip : {skip_a, skip_b}) {
        if (skip < from || skip >= count) continue;
        draw_point_range(from, skip, colours);
        from = skip + 1;
    }
    draw_point_range(from, count, colours);
    if (use_vertex_arrays) {
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
}

void space::draw_lines() {
    glColor3ub(0, 0, 0);
    glLineWidth(1);
    const std::vector<rgb_triple>* colours = layer_colours();
    if (use_vertex_arrays) {
        const std::vector<GLuint>& edges = arrays_.reduced_edge_indices(datafield, drag_stride);
        if (edges.empty()) return;
        glEnableClientState(GL_VERTEX_ARRAY);
        point_vertex_pointer();
        if (colours) layer_colour_pointer(*colours, 1);
        const auto count = static_cast<GLsizei>(edges.size());
        if (buffered()) {
            edge_buffer_.bind(GL_ELEMENT_ARRAY_BUFFER, edges.data(), edges.size() * sizeof(GLuint),
                              arrays_.edges_generation());
            glDrawElements(GL_LINES, count, GL_UNSIGNED_INT, nullptr);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        } else {
            glDrawElements(GL_LINES, count, GL_UNSIGNED_INT, edges.data());
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        return;
    }
    const auto& p = datafield.gl_points;
    glBegin(GL_LINES);
    for (const triangle& f : datafield.faces) {
        if (!face_in_range(f, p.size()) || !datafield.face_shown(f)) continue;
        for (std::int32_t id : {f.p0, f.p1, f.p1, f.p2, f.p2, f.p0})
            send_vertex(id, colours);
    }
    glEnd();
}

void space::lighting_on() {
    glShadeModel(GL_SMOOTH);
    // The light's colours, the material and the light model are the GL
    // defaults; they are set here because a host may have changed them.
    const GLfloat black[4] = {0, 0, 0, 1};
    const GLfloat white[4] = {1, 1, 1, 1};
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_NORMALIZE);

    // Given under the camera and the axis scales: the light turns with the
    // scene, two units out along the mean normal.
    const vector_3d& n = datafield.mean_normal;
    const GLfloat position[4] = {2 * n.x, 2 * n.y, 2 * n.z, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glDisable(GL_LIGHT1);
    if (shaped_light()) {
        // Lit from either side: the scene's light for the top, one at the
        // eye for whatever side the viewer sees, both softer than the
        // classic light so that the sum keeps the map's colours.
        const GLfloat soft[4] = {0.45f, 0.45f, 0.45f, 1};
        const GLfloat eye[4] = {0.65f, 0.65f, 0.65f, 1};
        const GLfloat base[4] = {0.25f, 0.25f, 0.25f, 1};
        const GLfloat towards_viewer[4] = {0, 0, 1, 0};
        glLightfv(GL_LIGHT0, GL_DIFFUSE, soft);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, base);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
        glLightfv(GL_LIGHT1, GL_AMBIENT, black);
        glLightfv(GL_LIGHT1, GL_DIFFUSE, eye);
        glLightfv(GL_LIGHT1, GL_SPECULAR, black);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glLightfv(GL_LIGHT1, GL_POSITION, towards_viewer);
        glPopMatrix();
        glEnable(GL_LIGHT1);
        if (colours != colour_map::off) {
            glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
            glEnable(GL_COLOR_MATERIAL);
        }
    }
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
}

void space::draw_poligones() {
    if (use_vertex_arrays) {
        const face_style style = faces_style();
        const std::vector<face_vertex>& vertices =
            arrays_.reduced_face_vertices(datafield, drag_stride, style);
        if (vertices.empty()) return;
        if (buffered()) {
            face_buffer_.bind(GL_ARRAY_BUFFER, vertices.data(),
                              vertices.size() * sizeof(face_vertex), arrays_.faces_generation());
            glInterleavedArrays(GL_N3F_V3F, 0, nullptr);
            glBindBuffer(GL_ARRAY_BUFFER, 0);
        } else {
            glInterleavedArrays(GL_N3F_V3F, 0, vertices.data());
        }
        if (colours != colour_map::off) {
            const std::vector<rgb_triple>& c =
                arrays_.reduced_face_colours(datafield, colours, drag_stride, style);
            if (c.size() == vertices.size()) {
                glEnableClientState(GL_COLOR_ARRAY);
                if (buffered()) {
                    face_colour_buffer_.bind(GL_ARRAY_BUFFER, c.data(),
                                             c.size() * sizeof(rgb_triple),
                                             arrays_.face_colours_generation());
                    glColorPointer(3, GL_UNSIGNED_BYTE, sizeof(rgb_triple), nullptr);
                    glBindBuffer(GL_ARRAY_BUFFER, 0);
                } else {
                    glColorPointer(3, GL_UNSIGNED_BYTE, sizeof(rgb_triple), c.data());
                }
            }
        }
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        return;
    }
    if (shaped_light()) {
        draw_poligones_one_by_one();
        return;
    }
    const auto& p = datafield.gl_points;
    for (std::size_t i = 0; i < datafield.faces.size() && i < datafield.normals.size(); ++i) {
        const triangle& f = datafield.faces[i];
        if (!face_in_range(f, p.size()) || !datafield.face_shown(f)) continue;
        const vector_3d& n = datafield.normals[i];
        glBegin(GL_POLYGON);
        for (std::int32_t id : {f.p0, f.p1, f.p2, f.p0}) {
            glNormal3f(n.x, n.y, n.z);
            send_point(p[id]);
        }
        glEnd();
    }
}

// The shaped look's faces without vertex arrays, from the same corners.
void space::draw_poligones_one_by_one() {
    const face_style style = faces_style();
    const std::vector<face_vertex>& vertices = arrays_.face_vertices(datafield, style);
    const std::vector<rgb_triple>* c =
        colours != colour_map::off ? &arrays_.reduced_face_colours(datafield, colours, 1, style)
                                   : nullptr;
    if (c && c->size() != vertices.size()) c = nullptr;
    glBegin(GL_TRIANGLES);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const face_vertex& v = vertices[i];
        if (c) glColor3ub((*c)[i].r, (*c)[i].g, (*c)[i].b);
        glNormal3f(v.nx, v.ny, v.nz);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
}

void space::lighting_off() {
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHTING);
    // Only the faces hide what lies behind them; everything drawn after
    // them lies on top, in every frame alike.
    glDisable(GL_DEPTH_TEST);
}

void space::draw_id_points() {
    const std::int32_t count = point_count();
    glPointSize(static_cast<GLfloat>(point_size));
    if (use_vertex_arrays) {
        const std::vector<rgb_triple>& colors = arrays_.id_colors(static_cast<std::size_t>(count));
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        point_vertex_pointer();
        if (buffered()) {
            color_buffer_.bind(GL_ARRAY_BUFFER, colors.data(), colors.size() * sizeof(rgb_triple),
                               colors.size());
            glColorPointer(3, GL_UNSIGNED_BYTE, sizeof(rgb_triple), nullptr);
            glBindBuffer(GL_ARRAY_BUFFER, 0);
        } else {
            glColorPointer(3, GL_UNSIGNED_BYTE, sizeof(rgb_triple), colors.data());
        }
        if (datafield.shown.empty()) {
            glDrawArrays(GL_POINTS, 0, count);
        } else {
            // Points beyond the axis limits cannot be picked.
            const std::vector<GLuint>& ids = arrays_.shown_points(datafield);
            if (!ids.empty())
                glDrawElements(GL_POINTS, static_cast<GLsizei>(ids.size()), GL_UNSIGNED_INT,
                               ids.data());
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        return;
    }
    glBegin(GL_POINTS);
    for (std::int32_t id = 0; id < count; ++id) {
        if (!datafield.point_shown(id)) continue;
        const rgb_triple c = id_to_color(id);
        glColor3ub(c.r, c.g, c.b);
        send_point(datafield.gl_points[static_cast<std::size_t>(id)]);
    }
    glEnd();
}

// Beside the point, up and to the right where the view has room, else to
// the left or below; a second label moves off the first one.
space::label_offset space::place_label(float lw, float lh) {
    constexpr float gap = 0.02f;
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    auto window = [&](double x, double z, double& wx, double& wy) {
        double wz = 0;
        return gluProject(x, 0, z, model, projection, viewport, &wx, &wy, &wz) == GL_TRUE;
    };
    double ox = 0, oy = 0, ux = 0, uy = 0;
    label_offset offset{gap, gap};
    // Pixels per scene unit along the box's sides, as the camera shows them.
    if (!window(0, 0, ox, oy) || !window(1, 1, ux, uy)) return offset;
    const double sx = std::fabs(ux - ox), sy = std::fabs(uy - oy);
    if (!(sx > 0) || !(sy > 0)) return offset;
    const double right = viewport[0] + viewport[2], top = viewport[1] + viewport[3];
    const double w = (lw + gap) * sx, h = (lh + gap) * sy;
    if (ox + w > right && ox - w >= viewport[0]) offset.x = -gap - lw;
    if (oy + h > top && oy - h >= viewport[1]) offset.z = -gap - lh;
    label_box box{ox + offset.x * sx, oy + offset.z * sy, lw * sx, lh * sy};
    if (placed_label_ && box.meets(*placed_label_)) {
        // Above or below the first, whichever stays in the view.
        const double up = placed_label_->y + placed_label_->h + gap * sy - box.y;
        const double down = placed_label_->y - box.h - gap * sy - box.y;
        const double shift = box.y + up + box.h <= top ? up : down;
        offset.z += static_cast<float>(shift / sy);
        box.y += shift;
    }
    placed_label_ = box;
    return offset;
}

std::string space::point_label_text(std::int32_t id) const {
    if (id < 0 || id >= point_count()) return {};
    const data_point& d = datafield.points[static_cast<std::size_t>(id)];
    const char sep = decimal_separator;
    return "p" + std::to_string(static_cast<std::int64_t>(id) + 1) +
           " (x: " + format_number(d.x, sep) + ", y: " + format_number(d.y, sep) +
           ", z: " + format_number(d.z, sep) + ")";
}

void space::draw_point_label(std::int32_t id) {
    if (id < 0 || id >= point_count() || !datafield.point_shown(id)) return;
    const gl_point& g = datafield.gl_points[static_cast<std::size_t>(id)];
    const float px = g.x * axis_scale_x, py = g.y * axis_scale_y, pz = g.z * axis_scale_z;
    const std::string text = point_label_text(id);
    const float lw = label_width(text, font_size) * 1.05f;
    const float lh = label_height(font_size) * 2;

    glPointSize(static_cast<GLfloat>(point_size));
    glColor3ub(10, 100, 255);
    glBegin(GL_POINTS);
    glVertex3f(px, py, pz);
    glEnd();

    glPushMatrix();
    glTranslatef(px, py, pz);
    // Undoes both camera turns: the box's X-Z plane faces the viewer.
    glRotatef(-view_alpha, 0, 0, 1);
    glRotatef(270 - view_betta, 1, 0, 0);
    const label_offset offset = place_label(lw, lh);
    glTranslatef(offset.x, 0, offset.z);

    glLineWidth(2);
    glColor3ub(0, 200, 0);
    glBegin(GL_LINE_STRIP);
    glVertex3f(0, 0, 0);
    glVertex3f(lw, 0, 0);
    glVertex3f(lw, 0, lh);
    glVertex3f(0, 0, lh);
    glVertex3f(0, 0, 0);
    glEnd();
    glLineWidth(1);

    glColor3ub(255, 255, 255);
    glBegin(GL_POLYGON);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, lh);
    glVertex3f(lw, 0, lh);
    glVertex3f(lw, 0, 0);
    glVertex3f(0, 0, 0);
    glEnd();

    glPushMatrix();
    glTranslatef(0.025f * lw, -0.005f, 0.3f * lh);
    glColor3ub(font_color.r, font_color.g, font_color.b);
    draw_text(text, false, 0, 0, 0, font_size, 90, 1, 0, 0, false);
    glPopMatrix();
    glPopMatrix();
}

} // namespace tessaline
