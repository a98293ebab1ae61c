#include "glyph_lists.h"

#include <GL/glu.h>

#include <array>
#include <deque>
#include <memory>

namespace tessaline {

namespace {

struct tessellator_deleter {
    void operator()(GLUtesselator* t) const { gluDeleteTess(t); }
};

using vertex = std::array<GLdouble, 3>;

// Vertices must stay in place until the polygon ends, combined ones included.
struct tessellation {
    std::deque<vertex> vertices;
};

void GLAPIENTRY on_begin(GLenum type) {
    glBegin(type);
}
void GLAPIENTRY on_vertex(void* data) {
    glVertex3dv(static_cast<const GLdouble*>(data));
}
void GLAPIENTRY on_end() {
    glEnd();
}
void GLAPIENTRY on_error(GLenum) {}
void GLAPIENTRY on_combine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* user) {
    auto* t = static_cast<tessellation*>(user);
    t->vertices.push_back({coords[0], coords[1], coords[2]});
    *out = t->vertices.back().data();
}

template <typename F> _GLUfuncptr callback(F* f) {
    return reinterpret_cast<_GLUfuncptr>(f);
}

void advance(const glyph_outline& glyph) {
    glTranslatef(glyph.metric.cell_inc_x, glyph.metric.cell_inc_y, 0);
}

} // namespace

void compile_solid_glyph(GLuint list, const glyph_outline& glyph) {
    glNewList(list, GL_COMPILE);
    if (!glyph.contours.empty()) {
        std::unique_ptr<GLUtesselator, tessellator_deleter> tess(gluNewTess());
        if (tess) {
            gluTessCallback(tess.get(), GLU_TESS_BEGIN, callback(on_begin));
            gluTessCallback(tess.get(), GLU_TESS_VERTEX, callback(on_vertex));
            gluTessCallback(tess.get(), GLU_TESS_END, callback(on_end));
            gluTessCallback(tess.get(), GLU_TESS_ERROR, callback(on_error));
            gluTessCallback(tess.get(), GLU_TESS_COMBINE_DATA, callback(on_combine));
            gluTessProperty(tess.get(), GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
            gluTessNormal(tess.get(), 0, 0, 1);
            tessellation t;
            gluTessBeginPolygon(tess.get(), &t);
            for (const auto& contour : glyph.contours) {
                gluTessBeginContour(tess.get());
                for (const outline_point& p : contour) {
                    t.vertices.push_back({p.x, p.y, 0});
                    gluTessVertex(tess.get(), t.vertices.back().data(), t.vertices.back().data());
                }
                gluTessEndContour(tess.get());
            }
            gluTessEndPolygon(tess.get());
        }
    }
    advance(glyph);
    glEndList();
}

void compile_outline_glyph(GLuint list, const glyph_outline& glyph) {
    glNewList(list, GL_COMPILE);
    for (const auto& contour : glyph.contours) {
        glBegin(GL_LINE_LOOP);
        for (const outline_point& p : contour)
            glVertex2d(p.x, p.y);
        glEnd();
    }
    advance(glyph);
    glEndList();
}

} // namespace tessaline
