// The outline font of the 3-D labels: a scalable sans face found through
// fontconfig, read with FreeType, its glyphs flattened into polygons in em
// units (1.0 is the em height) with the metrics that label widths use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaline {

// One glyph's box and advance, in em units.
struct glyph_metric {
    float black_box_x = 0; // width of the inked box
    float black_box_y = 0; // height of the inked box
    float origin_x = 0;    // left edge of the box
    float origin_y = 0;    // top edge of the box
    float cell_inc_x = 0;  // advance to the next glyph
    float cell_inc_y = 0;
};

struct outline_point {
    double x = 0, y = 0;
};

// Closed contours (last point not repeated); filled by the non-zero rule.
struct glyph_outline {
    std::vector<std::vector<outline_point>> contours;
    glyph_metric metric;
};

class label_face {
  public:
    // The face fontconfig picks for DejaVu Sans, else for any sans-serif;
    // null when no scalable face can be had.
    static std::unique_ptr<label_face> open_sans();
    // null when the file is not a scalable font.
    static std::unique_ptr<label_face> open_file(const std::string& path, int index = 0);

    ~label_face();
    label_face(const label_face&) = delete;
    label_face& operator=(const label_face&) = delete;

    // The glyph of one Windows-1252 byte; empty with zero metrics for a byte
    // the page leaves undefined or the face has no glyph for.
    glyph_outline outline(std::uint8_t code) const;
    // The glyph of any character; empty with zero metrics when the face has
    // none for it.
    glyph_outline outline_of(char32_t c) const;
    bool has_glyph(char32_t c) const;
    // A scalable face fontconfig finds with a glyph for the character (for
    // the characters the label face lacks); null when none has one.
    static std::unique_ptr<label_face> open_for(char32_t c);
    // The font file the face was read from, which tells faces apart.
    const std::string& file() const { return file_; }

  private:
    struct freetype;
    explicit label_face(std::unique_ptr<freetype> ft);
    std::unique_ptr<freetype> ft_;
    std::string file_;
};

} // namespace tessaline
