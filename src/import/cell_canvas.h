// The few drawing operations a grid cell needs, so that the workbook layer
// can draw cells without knowing the window toolkit that paints them.
#pragma once

#include "import/cell_records.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessaline {

struct cell_rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class cell_canvas {
  public:
    virtual ~cell_canvas() = default;
    // Ellipse inside `box`, outline and inside in one colour; colours are 0x00BBGGRR.
    virtual void fill_ellipse(const cell_rect& box, std::int32_t color) = 0;
    // Line from (x0, y0) to (x1, y1), the end point itself not drawn.
    virtual void line(int x0, int y0, int x1, int y1, std::int32_t color) = 0;
    virtual int text_width(std::string_view text, const font_attr& font) = 0;
    // Text from (x, y) clipped to `clip`; with a background the clip is filled first.
    virtual void text(const cell_rect& clip, int x, int y, std::string_view text,
                      const font_attr& font, std::optional<std::int32_t> background) = 0;
};

// Draws one grid cell over the grid's own fill: the row number or column
// letters in the heading cells, the cell itself in the data cells (in its own
// font when `cell_font`, else in black in the grid's font), and the marks.
void draw_grid_cell(cell_canvas& canvas, const cell_rect& rect, std::string_view label,
                    cell_marks marks, int grid_row, int grid_column, const cell_value& cell,
                    bool cell_font);

} // namespace tessaline
