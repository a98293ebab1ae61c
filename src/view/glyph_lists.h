// Compiles one glyph outline into a display list that draws it flat in the
// z = 0 plane, in em units, and then moves the origin on by its advance, so
// that a text is one glCallLists over its bytes.
#pragma once

#include "label_face.h"

#include <GL/gl.h>

namespace tessaline {

// The glyph as filled polygons, tessellated by the non-zero winding rule.
void compile_solid_glyph(GLuint list, const glyph_outline& glyph);
// The glyph's contours as closed lines.
void compile_outline_glyph(GLuint list, const glyph_outline& glyph);

} // namespace tessaline
