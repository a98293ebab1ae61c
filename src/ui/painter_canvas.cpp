#include "painter_canvas.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace tessaline {

namespace {

QString qt_text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect qt_rect(const cell_rect& r) {
    // Right and bottom lie outside the cell, as in the readers' rectangles.
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

} // namespace

QColor bgr_color(std::int32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

painter_canvas::painter_canvas(QPainter& painter, const QFont& grid_font)
    : painter_(painter), grid_font_(grid_font) {}

QFont painter_canvas::font_of(const font_attr& font) const {
    QFont f = grid_font_;
    if (!font.name.empty()) f.setFamily(QString::fromStdString(font.name));
    if (font.size > 0) f.setPointSize(font.size);
    f.setBold(font.style & font_bold);
    f.setItalic(font.style & font_italic);
    f.setUnderline(font.style & font_underline);
    return f;
}

void painter_canvas::fill_ellipse(const cell_rect& box, std::int32_t color) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setPen(bgr_color(color));
    painter_.setBrush(bgr_color(color));
    painter_.drawEllipse(qt_rect(box));
    painter_.restore();
}

void painter_canvas::line(int x0, int y0, int x1, int y1, std::int32_t color) {
    // The end point is not drawn: step back one pixel towards the start.
    const int dx = x1 - x0, dy = y1 - y0;
    if (dx == 0 && dy == 0) return;
    if (std::abs(dx) >= std::abs(dy))
        x1 -= dx > 0 ? 1 : -1;
    else
        y1 -= dy > 0 ? 1 : -1;
    painter_.save();
    painter_.setPen(QPen(bgr_color(color), 0));
    painter_.drawLine(x0, y0, x1, y1);
    painter_.restore();
}

int painter_canvas::text_width(std::string_view text, const font_attr& font) {
    return QFontMetrics(font_of(font)).horizontalAdvance(qt_text(text));
}

void painter_canvas::text(const cell_rect& clip, int x, int y, std::string_view text,
                          const font_attr& font, std::optional<std::int32_t> background) {
    painter_.save();
    const QRect area = qt_rect(clip);
    if (background) painter_.fillRect(area, bgr_color(*background));
    painter_.setClipRect(area);
    const QFont f = font_of(font);
    const QFontMetrics metrics(f);
    QString shown = qt_text(text);
    // A text wider than its cell ends in an ellipsis, so that a cut value
    // is not taken for a shorter one.
    if (x < area.left() || x + metrics.horizontalAdvance(shown) > area.right() + 1) {
        x = std::max(x, area.left() + 1);
        shown = metrics.elidedText(shown, Qt::ElideRight, std::max(area.right() + 1 - x, 0));
    }
    painter_.setFont(f);
    painter_.setPen(bgr_color(font.color));
    painter_.drawText(x, y + metrics.ascent(), shown);
    painter_.restore();
}

} // namespace tessaline
