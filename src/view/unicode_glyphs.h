// Glyphs of the characters outside the labels' 1-byte code page, made on
// first use from the label face or, where it has none, from a face
// fontconfig finds with the character; each as a filled and an outline
// display list, as the code page's glyphs are.
#pragma once

#include "display_lists.h"
#include "label_face.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace tessaline {

class unicode_glyphs {
  public:
    struct glyph {
        GLuint solid = 0, outline = 0;
        glyph_metric metric;
    };

    // The face tried first; may be null. Needs the GL context current.
    explicit unicode_glyphs(const label_face* primary = nullptr) : primary_(primary) {}

    // The character's glyph; null when no face has one or no lists can be had.
    const glyph* find(char32_t c);

  private:
    const label_face* face_for(char32_t c);

    struct made {
        display_lists lists;
        glyph shape;
        bool found = false;
    };
    const label_face* primary_;
    std::vector<std::unique_ptr<label_face>> fallbacks_;
    std::unordered_map<char32_t, made> made_;
};

} // namespace tessaline
