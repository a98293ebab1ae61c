#include "label_face.h"

#include "windows_1252.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

namespace tessaline {

namespace {

struct library_closer {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct face_closer {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct pattern_closer {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using pattern_ptr = std::unique_ptr<FcPattern, pattern_closer>;

// Deviation of a flattened curve from the true one, in em units: far below a
// pixel at any label size the font zoom gives.
constexpr double flatness = 0.0005;
constexpr int max_curve_steps = 64;

struct contour_builder {
    double em = 1;
    std::vector<std::vector<outline_point>> contours;

    outline_point to_em(const FT_Vector* v) const {
        return {static_cast<double>(v->x) / em, static_cast<double>(v->y) / em};
    }
    void add(outline_point p) {
        auto& contour = contours.back();
        if (!contour.empty() && contour.back().x == p.x && contour.back().y == p.y) return;
        contour.push_back(p);
    }
    outline_point last() const { return contours.back().back(); }
};

int curve_steps(double bend) {
    const int n = static_cast<int>(std::ceil(std::sqrt(bend / (8 * flatness))));
    return std::clamp(n, 1, max_curve_steps);
}

int move_to(const FT_Vector* to, void* user) {
    auto* b = static_cast<contour_builder*>(user);
    b->contours.emplace_back();
    b->add(b->to_em(to));
    return 0;
}

int line_to(const FT_Vector* to, void* user) {
    auto* b = static_cast<contour_builder*>(user);
    b->add(b->to_em(to));
    return 0;
}

int conic_to(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* b = static_cast<contour_builder*>(user);
    const outline_point p0 = b->last(), p1 = b->to_em(control), p2 = b->to_em(to);
    const int n = curve_steps(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y));
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1 - t;
        b->add({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
    return 0;
}

int cubic_to(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
             void* user) {
    auto* b = static_cast<contour_builder*>(user);
    const outline_point p0 = b->last(), p1 = b->to_em(control1), p2 = b->to_em(control2),
                        p3 = b->to_em(to);
    const double bend = 1.5 * std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                       std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
    const int n = curve_steps(bend);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, u = 1 - t;
        const double a = u * u * u, c1 = 3 * u * u * t, c2 = 3 * u * t * t, d = t * t * t;
        b->add({a * p0.x + c1 * p1.x + c2 * p2.x + d * p3.x,
                a * p0.y + c1 * p1.y + c2 * p2.y + d * p3.y});
    }
    return 0;
}

} // namespace

struct label_face::freetype {
    std::unique_ptr<FT_LibraryRec_, library_closer> library;
    std::unique_ptr<FT_FaceRec_, face_closer> face;
};

label_face::label_face(std::unique_ptr<freetype> ft) : ft_(std::move(ft)) {}
label_face::~label_face() = default;

std::unique_ptr<label_face> label_face::open_file(const std::string& path, int index) {
    auto ft = std::make_unique<freetype>();
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    ft->library.reset(library);
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), index, &face) != 0) return nullptr;
    ft->face.reset(face);
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;
    // The face's own Unicode map; most faces pick it by default, not all.
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    std::unique_ptr<label_face> opened(new label_face(std::move(ft)));
    opened->file_ = path + "#" + std::to_string(index);
    return opened;
}

std::unique_ptr<label_face> label_face::open_sans() {
    if (!FcInit()) return nullptr;
    pattern_ptr pattern(FcPatternCreate());
    if (!pattern) return nullptr;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    pattern_ptr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return nullptr;
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    return open_file(reinterpret_cast<const char*>(file), index);
}

std::unique_ptr<label_face> label_face::open_for(char32_t c) {
    if (!FcInit()) return nullptr;
    pattern_ptr pattern(FcPatternCreate());
    std::unique_ptr<FcCharSet, void (*)(FcCharSet*)> wanted(FcCharSetCreate(), FcCharSetDestroy);
    if (!pattern || !wanted || !FcCharSetAddChar(wanted.get(), c)) return nullptr;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted.get());
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    // The best matches in order; the first that has the character wins.
    std::unique_ptr<FcFontSet, void (*)(FcFontSet*)> fonts(
        FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result), FcFontSetDestroy);
    if (!fonts) return nullptr;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcCharSet* has = nullptr;
        if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &has) != FcResultMatch ||
            !FcCharSetHasChar(has, c))
            continue;
        FcChar8* file = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        int index = 0;
        FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index);
        auto face = open_file(reinterpret_cast<const char*>(file), index);
        if (face && face->has_glyph(c)) return face;
    }
    return nullptr;
}

bool label_face::has_glyph(char32_t c) const {
    return c != 0 && FT_Get_Char_Index(ft_->face.get(), c) != 0;
}

glyph_outline label_face::outline(std::uint8_t code) const {
    return outline_of(windows_1252_to_unicode(code));
}

glyph_outline label_face::outline_of(char32_t c) const {
    glyph_outline glyph;
    if (c == 0) return glyph;
    FT_Face face = ft_->face.get();
    const FT_UInt index = FT_Get_Char_Index(face, c);
    if (index == 0) return glyph;
    // Unscaled, unhinted: design units divided by the em give em units.
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0) return glyph;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return glyph;
    const double em = face->units_per_EM;
    const FT_Glyph_Metrics& m = face->glyph->metrics;
    glyph.metric.black_box_x = static_cast<float>(m.width / em);
    glyph.metric.black_box_y = static_cast<float>(m.height / em);
    glyph.metric.origin_x = static_cast<float>(m.horiBearingX / em);
    glyph.metric.origin_y = static_cast<float>(m.horiBearingY / em);
    glyph.metric.cell_inc_x = static_cast<float>(m.horiAdvance / em);
    glyph.metric.cell_inc_y = 0;

    contour_builder builder;
    builder.em = em;
    FT_Outline_Funcs funcs{};
    funcs.move_to = move_to;
    funcs.line_to = line_to;
    funcs.conic_to = conic_to;
    funcs.cubic_to = cubic_to;
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &builder);
    for (auto& contour : builder.contours) {
        if (contour.size() > 1 && contour.front().x == contour.back().x &&
            contour.front().y == contour.back().y)
            contour.pop_back();
        if (contour.size() >= 3) glyph.contours.push_back(std::move(contour));
    }
    return glyph;
}

} // namespace tessaline
