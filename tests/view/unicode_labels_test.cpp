// Captions in any script: characters beyond the 1-byte code page get glyphs
// of their own, made on first use; those inside it draw as they always have.
#include "headless_view.h"
#include "view/windows_1252.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

int dark_pixels(const rgb_image& image) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* c = image.row(y) + x * 3;
            n += c[0] < 100 && c[1] < 100 && c[2] < 100;
        }
    return n;
}

} // namespace

TEST(UnicodeLabels, CharactersBeyondTheCodePageGetGlyphsOfTheirOwn) {
    headless_view view;
    space& s = view.screen.get_space();
    const GLuint stand_in = s.solid_font_base.base() + '?';

    // Å and ² are in the code page: the label is the classic bytes.
    const label_run latin = s.layout_label("Länge in Å²");
    EXPECT_TRUE(latin.classic);
    EXPECT_EQ(latin.bytes, utf8_to_windows_1252("Länge in Å²"));

    const label_run greek = s.layout_label("σ Δλ");
    EXPECT_FALSE(greek.classic);
    ASSERT_EQ(greek.solid.size(), 4u);
    ASSERT_EQ(greek.outline.size(), 4u);
    EXPECT_NE(greek.solid[0], stand_in);
    EXPECT_EQ(greek.solid[1], s.solid_font_base.base() + ' ');
    EXPECT_NE(greek.solid[2], greek.solid[3]);
    EXPECT_GT(greek.advance, 3 * 0.4f);
    // Made once: the same character later has the same lists.
    EXPECT_EQ(s.layout_label("λ").solid[0], greek.solid[3]);

    // Cyrillic too; a malformed byte and a character no face has stay the
    // code page's stand-in.
    const label_run rest = s.layout_label("Ж\xff\U0010FFFD");
    ASSERT_EQ(rest.solid.size(), 3u);
    EXPECT_NE(rest.solid[0], stand_in);
    EXPECT_EQ(rest.solid[1], stand_in);
    EXPECT_EQ(rest.solid[2], stand_in);
}

TEST(UnicodeLabels, AGreekCaptionDrawsItsOwnGlyphs) {
    headless_view view;
    view.field.load_points({{-1, -1, -1}, {1, 1, 1}});
    const auto frame_with = [&](const std::string& caption) {
        view.field.set_captions("X", "Y", caption);
        view.render();
        return view.frame;
    };
    const rgb_image none = frame_with("");
    const rgb_image greek = frame_with("σσσσσσ");
    const rgb_image stand_ins = frame_with("??????");
    EXPECT_GT(dark_pixels(greek), dark_pixels(none) + 100);
    EXPECT_NE(greek.pixels, stand_ins.pixels);
    // The colour bar's caption takes them as well.
    view.screen.get_space().colours = colour_map::viridis;
    const rgb_image bar_greek = frame_with("σσσσσσ");
    const rgb_image bar_none = frame_with("");
    EXPECT_GT(dark_pixels(bar_greek), dark_pixels(bar_none) + 200);
}
