// Label texts: the number format, the code page and the glyphs' metrics.
#include "view/label_face.h"
#include "view/number_format.h"
#include "view/windows_1252.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tessaline;

TEST(NumberFormat, PlainAndExponentForms) {
    struct row {
        double v;
        const char* text;
    } rows[] = {
        {1.5, "1.5"},
        {20, "20"},
        {-2, "-2"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {1234567890, "1234567890"},
        {12345678901, "1.23456789E10"},
        {1.0 / 3, "0.3333333333"},
        {0, "0"},
        {-0.0, "0"},
        {-0.00012345678912, "-0.0001234567891"},
        {123.456, "123.456"},
        {1e100, "1E100"},
        {-2.5e-300, "-2.5E-300"},
        {1e-4 * 0.5, "5E-05"},
        // Rounding decides the form: both become a power of ten.
        {9999999999.6, "1E10"},
        {0.00099999999999, "0.001"},
        // An exact tie in binary goes away from zero.
        {12345678905, "1.234567891E10"},
        {-12345678905, "-1.234567891E10"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(format_number(r.v), r.text) << r.v;
    EXPECT_EQ(format_number(1.5, ','), "1,5");
    EXPECT_EQ(format_number(2.5e-7, ','), "2,5E-07");
    EXPECT_EQ(format_number(NAN), "NAN");
    EXPECT_EQ(format_number(-INFINITY), "-INF");
}

TEST(Windows1252, CaptionsFromUtf8) {
    EXPECT_EQ(utf8_to_windows_1252("Höhe"), "H\xF6he");
    EXPECT_EQ(utf8_to_windows_1252("5 €"), "5 \x80");
    EXPECT_EQ(utf8_to_windows_1252("ÿŸ"), "\xFF\x9F");
    EXPECT_EQ(utf8_to_windows_1252("中x😀"), "?x?");
    // Malformed: a lone continuation byte, a cut sequence, an overlong form.
    EXPECT_EQ(utf8_to_windows_1252("a\x80"
                                   "b\xC3"),
              "a?b?");
    EXPECT_EQ(utf8_to_windows_1252("\xC0\xAF"), "?");
    EXPECT_EQ(windows_1252_to_unicode(0x80), U'€');
    EXPECT_EQ(windows_1252_to_unicode(0x81), 0U);
    EXPECT_EQ(windows_1252_to_unicode(0xE9), U'é');
}

TEST(LabelFace, SansGlyphsInEmUnits) {
    const auto face = label_face::open_sans();
    ASSERT_NE(face, nullptr);
    const glyph_outline a = face->outline('A');
    EXPECT_FALSE(a.contours.empty());
    EXPECT_GT(a.metric.cell_inc_x, 0.4f);
    EXPECT_LT(a.metric.cell_inc_x, 1.0f);
    EXPECT_EQ(a.metric.cell_inc_y, 0);
    // Caps stand about 0.7 em above the baseline.
    double top = 0;
    for (const auto& contour : a.contours)
        for (const outline_point& p : contour)
            top = std::max(top, p.y);
    EXPECT_NEAR(top, a.metric.origin_y, 1e-6);
    EXPECT_NEAR(top, 0.72, 0.1);
    // "O" is curved: flattened into many points, all close to its box.
    const glyph_outline o = face->outline('O');
    std::size_t points = 0;
    for (const auto& contour : o.contours)
        points += contour.size();
    EXPECT_GT(points, 40u);

    const glyph_outline space = face->outline(' ');
    EXPECT_TRUE(space.contours.empty());
    EXPECT_GT(space.metric.cell_inc_x, 0.2f);
    EXPECT_EQ(face->outline(0).metric.cell_inc_x, 0);
    EXPECT_EQ(face->outline(0x81).metric.cell_inc_x, 0);
    EXPECT_FALSE(face->outline(0x80).contours.empty()); // €
    EXPECT_FALSE(face->outline(0xFF).contours.empty()); // ÿ
}
