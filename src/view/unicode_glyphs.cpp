#include "unicode_glyphs.h"

#include "glyph_lists.h"

namespace tessaline {

const label_face* unicode_glyphs::face_for(char32_t c) {
    if (primary_ && primary_->has_glyph(c)) return primary_;
    for (const auto& face : fallbacks_)
        if (face->has_glyph(c)) return face.get();
    std::unique_ptr<label_face> found = label_face::open_for(c);
    if (!found) return nullptr;
    // Kept once per file, so that a script's many characters share one face.
    fallbacks_.push_back(std::move(found));
    return fallbacks_.back().get();
}

const unicode_glyphs::glyph* unicode_glyphs::find(char32_t c) {
    const auto kept = made_.find(c);
    if (kept != made_.end()) return kept->second.found ? &kept->second.shape : nullptr;
    made& entry = made_[c];
    const label_face* face = face_for(c);
    if (!face) return nullptr;
    entry.lists = display_lists(2);
    if (entry.lists.base() == 0) return nullptr;
    const glyph_outline outline = face->outline_of(c);
    compile_solid_glyph(entry.lists.base(), outline);
    compile_outline_glyph(entry.lists.base() + 1, outline);
    entry.shape = {entry.lists.base(), entry.lists.base() + 1, outline.metric};
    entry.found = true;
    return &entry.shape;
}

} // namespace tessaline
