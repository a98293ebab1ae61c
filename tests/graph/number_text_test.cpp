#include "graph/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tessaline;

TEST(GeneralText, PlainAndExponentForms) {
    struct row {
        double v;
        const char* text;
    } rows[] = {{315, "315"},
                {0, "0"},
                {-0.0, "0"},
                {-0.25, "-0.25"},
                {0.0001, "0.0001"},
                {0.00001, "1E-5"},
                {2.5e20, "2.5E20"},
                {1e20, "1E20"},
                {-2.5e-7, "-2.5E-7"},
                {1234.5, "1234.5"},
                {999999999999999, "999999999999999"},
                {1e15, "1E15"},
                {1.23456789012345678, "1.23456789012346"},
                {static_cast<double>(0.1f), "0.100000001490116"},
                {1.0 / 3, "0.333333333333333"},
                {2.0 / 3, "0.666666666666667"},
                {INFINITY, "INF"}};
    for (const auto& r : rows)
        EXPECT_EQ(general_text(r.v), r.text) << r.v;
    // Rounding up to the next power of ten moves the form: 9.9999999999999995e14
    // rounds to 1E15.
    EXPECT_EQ(general_text(999999999999999.9), "1E15");
    EXPECT_EQ(general_text(0.000099999999999999999), "0.0001");
    EXPECT_EQ(general_text(-1.5, ','), "-1,5");
    EXPECT_EQ(general_text(1.5e-9, ','), "1,5E-9");
}

TEST(RoundDecimal, ExactTiesRoundAwayFromZero) {
    // 0.125 and 2.5 are exact binary values: true ties.
    EXPECT_EQ(round_decimal(0.125, 2).digits, "13");
    EXPECT_EQ(round_decimal(-0.125, 2).digits, "13");
    EXPECT_TRUE(round_decimal(-0.125, 2).negative);
    EXPECT_EQ(round_decimal(2.5, 1).digits, "3");
    EXPECT_EQ(round_decimal(4503599627370497.5 - 0.5, 15).digits, "45035996273705");
    // 0.15 is stored just below the tie, so it rounds down.
    EXPECT_EQ(round_decimal(0.15, 1).digits, "1");
    // 1.0000000000000005 is below 1 + 5e-16 in binary: down; 2^53 + 2 is exact.
    EXPECT_EQ(round_decimal(1.0000000000000005, 15).digits, "1");
    EXPECT_EQ(round_decimal(9007199254740994.0, 15).digits, "900719925474099");
    EXPECT_EQ(round_decimal(9999.5, 4).exponent, 5);
    EXPECT_EQ(round_decimal(9999.5, 4).digits, "1");
}
