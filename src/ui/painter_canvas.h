// Grid cells drawn by the workbook readers onto a QPainter: the window side
// of their small drawing interface.
#pragma once

#include "import/cell_canvas.h"

#include <QFont>

class QPainter;

namespace tessaline {

class painter_canvas : public cell_canvas {
  public:
    // `grid_font` stands in for a cell font with no name or size.
    painter_canvas(QPainter& painter, const QFont& grid_font);

    void fill_ellipse(const cell_rect& box, std::int32_t color) override;
    void line(int x0, int y0, int x1, int y1, std::int32_t color) override;
    int text_width(std::string_view text, const font_attr& font) override;
    void text(const cell_rect& clip, int x, int y, std::string_view text, const font_attr& font,
              std::optional<std::int32_t> background) override;

    QFont font_of(const font_attr& font) const;

  private:
    QPainter& painter_;
    QFont grid_font_;
};

// 0x00BBGGRR as the workbooks store colours.
QColor bgr_color(std::int32_t color);

} // namespace tessaline
