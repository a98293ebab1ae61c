// The colour bar: the map from the lowest to the highest Z at the view's
// right edge, with the Z axis' marks and caption, drawn in window pixels.
#include "space.h"

#include "windows_1252.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tessaline {

namespace {

// Window pixels per unit of label size: a label of the default size stands
// about as tall here as on the axes of the default view.
constexpr float pixels_per_size = 150;
constexpr float bar_width = 16;
constexpr float margin = 10;
constexpr float tick = 5;
// Colour steps of the bar; the map's tables have at most 256 entries.
constexpr int bar_steps = 128;

struct bar_label {
    float y;
    std::string text;
};

} // namespace

colour_bar_box space::colour_bar_place(int view_width, int view_height) const {
    const float text = font_size * pixels_per_size;
    float widest = 0;
    // Mark texts are numbers, all in the code page.
    for (std::size_t i = 1; i < datafield.marks_z.size(); ++i)
        widest =
            std::max(widest, label_width(utf8_to_windows_1252(datafield.marks_z[i].text), text));
    const float h = std::max(view_height * 0.6f, 1.0f);
    const float x = static_cast<float>(view_width) - margin - widest - tick - 4 - bar_width;
    return {x, (static_cast<float>(view_height) - h) / 2, bar_width, h};
}

void space::draw_colour_bar() {
    if (colours == colour_map::off || !colour_bar || datafield.points.empty()) return;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0) return;
    const colour_bar_box box = colour_bar_place(viewport[2], viewport[3]);
    const colour_span span = colour_span_of(datafield, colours);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], 0, viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // Smoothed quads would show their seams over the colours.
    const GLboolean polygon_smooth = glIsEnabled(GL_POLYGON_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);

    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= bar_steps; ++i) {
        const double t = static_cast<double>(i) / bar_steps;
        const rgb_triple c = colour_at(colours, t);
        const float y = box.y + static_cast<float>(t) * box.h;
        glColor3ub(c.r, c.g, c.b);
        glVertex2f(box.x, y);
        glVertex2f(box.x + box.w, y);
    }
    glEnd();

    glColor3ub(font_color.r, font_color.g, font_color.b);
    glLineWidth(1);
    glBegin(GL_LINE_LOOP);
    glVertex2f(box.x, box.y);
    glVertex2f(box.x + box.w, box.y);
    glVertex2f(box.x + box.w, box.y + box.h);
    glVertex2f(box.x, box.y + box.h);
    glEnd();

    // The marks inside the span, thinned so that their labels stay apart.
    const float text = font_size * pixels_per_size;
    const float text_h = label_height(text);
    std::vector<bar_label> labels;
    bool has_zero = false;
    for (std::size_t i = 1; i < datafield.marks_z.size(); ++i) {
        const mark& m = datafield.marks_z[i];
        const double value = mark_value(m);
        if (value < span.low - 1e-9 * std::fabs(span.low) ||
            value > span.high + 1e-9 * std::fabs(span.high))
            continue;
        const float y = box.y + static_cast<float>(colour_position(span, value)) * box.h;
        labels.push_back({y, utf8_to_windows_1252(m.text)});
        has_zero = has_zero || value == 0;
    }
    // The axis leaves zero unlabelled where the axes meet; the bar has no
    // such place and shows it, which a diverging map centres on.
    if (!has_zero && span.low <= 0 && span.high >= 0)
        labels.push_back({box.y + static_cast<float>(colour_position(span, 0)) * box.h, "0"});
    // Thinned from the bottom up, whatever order the axis keeps its marks in.
    std::sort(labels.begin(), labels.end(),
              [](const bar_label& a, const bar_label& b) { return a.y < b.y; });
    std::size_t every = 1;
    while (labels.size() / every > 1 &&
           box.h / static_cast<float>(labels.size() / every) < text_h * 1.6f)
        ++every;
    glBegin(GL_LINES);
    for (std::size_t i = 0; i < labels.size(); i += every) {
        glVertex2f(box.x + box.w, labels[i].y);
        glVertex2f(box.x + box.w + tick, labels[i].y);
    }
    glEnd();
    for (std::size_t i = 0; i < labels.size(); i += every)
        draw_text(labels[i].text, false, box.x + box.w + tick + 4, labels[i].y - text_h / 2, 0,
                  text, 0, 0, 0, 0, false);

    // The caption over the bar, kept inside the view.
    if (!datafield.marks_z.empty()) {
        const label_run caption = layout_label(datafield.marks_z[0].text);
        const float w = caption.advance * text;
        const float x = std::min(box.x, static_cast<float>(viewport[2]) - margin - w);
        draw_label(caption, false, std::max(x, 0.0f), box.y + box.h + text_h * 1.5f, 0, text, 0, 0,
                   0, 0, false);
    }

    if (polygon_smooth) glEnable(GL_POLYGON_SMOOTH);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

} // namespace tessaline
