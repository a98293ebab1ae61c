#include "files/value_text.h"

#include <gtest/gtest.h>

using namespace tessaline;

TEST(ValueText, RealsTakeEitherDecimalSeparator) {
    struct row {
        const char* text;
        double value;
    } rows[] = {{"12.5", 12.5},
                {"12,5", 12.5},
                {"-0,25", -0.25},
                {"1E-5", 1e-5},
                {"2,5E20", 2.5e20},
                {"315", 315},
                {" +7,5e+2 ", 750},
                {".5", 0.5},
                {"5.", 5},
                {"0,100000001490116", 0.100000001490116},
                {"4.94065645841247E-324", 4.94065645841247e-324}};
    for (const row& r : rows) {
        const auto value = parse_real(r.text);
        ASSERT_TRUE(value) << r.text;
        EXPECT_EQ(*value, r.value) << r.text;
    }
}

TEST(ValueText, RealsRejectWhatIsNoFiniteNumber) {
    for (const char* text :
         {"", " ", "abc", "1,5.3", "1..5", "1e", "1e+", "--1", "+-1", "inf", "-inf", "nan",
          "infinity", "0x1p3", "1e999", "-1e999", "1 000", "12%", "1,5,"})
        EXPECT_FALSE(parse_real(text)) << '"' << text << '"';
}

TEST(ValueText, IntegersAreDecimalDigitsOnly) {
    EXPECT_EQ(parse_integer("0"), 0);
    EXPECT_EQ(parse_integer("-1"), -1);
    EXPECT_EQ(parse_integer("2147483647"), 2147483647);
    EXPECT_EQ(parse_integer("-2147483648"), -2147483647 - 1);
    for (const char* text : {"", "2147483648", "1.0", "1,5", " 1", "1 ", "0x10", "1e3", "abc"})
        EXPECT_FALSE(parse_integer(text)) << '"' << text << '"';
}

TEST(ValueText, BooleansAreWordsInAnyCaseOrNumbers) {
    for (const char* text : {"True", "true", "TRUE", "1", "-2", "0,5"})
        EXPECT_EQ(parse_boolean(text), true) << text;
    for (const char* text : {"False", "false", "fAlSe", "0", "0.0", "-0"})
        EXPECT_EQ(parse_boolean(text), false) << text;
    for (const char* text : {"", "yes", "T", "Truth", "nan"})
        EXPECT_FALSE(parse_boolean(text)) << text;
}
