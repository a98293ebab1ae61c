#include "files/point_table.h"

#include <gtest/gtest.h>

using namespace tessaline;

TEST(PointTable, SeparatorFromTheFirstRow) {
    struct row {
        const char* text;
        char separator;
    } rows[] = {{"1,2,3\n4,5,6\n", ','},
                {"1;2;3\n4;5;6\n", ';'},
                {"1\t2\t3\n4\t5\t6\n", '\t'},
                {"x;y;z\r\n1;2;3\r\n4;5;6", ';'},
                // Plain data files: blanks of any number and kind part cells.
                {" 1 2  3\n4\t 5\t6\n", ' '},
                {"x  y\tz\n1 2 3\n4 5 6\n", ' '},
                // A title of one word leaves the choice to the next line.
                {"Run3\n1,2,3\n4,5,6\n", ','},
                {"Run3\n1 2 3\n4 5 6\n", ' '}};
    for (const row& r : rows) {
        const point_table table = parse_point_table(r.text);
        EXPECT_EQ(table.separator, r.separator) << r.text;
        EXPECT_EQ(table.points, (data_points_{{1, 2, 3}, {4, 5, 6}})) << r.text;
        EXPECT_EQ(table.rows_skipped, 0) << r.text;
    }
}

TEST(PointTable, DecimalCommaWithSemicolonsOrTabs) {
    EXPECT_EQ(parse_point_table("1,5;-2,25;3e2\n").points, (data_points_{{1.5, -2.25, 300}}));
    EXPECT_EQ(parse_point_table("1,5\t2.5\t 3 \n").points, (data_points_{{1.5, 2.5, 3}}));
}

TEST(PointTable, HeaderGivesCaptionsAndEmptyOnesStayDefault) {
    point_table table = parse_point_table("\xEF\xBB\xBF"
                                          "Depth (m),,\"Temp, \"\"C\"\"\"\n1,2,3\n");
    EXPECT_TRUE(table.has_header);
    EXPECT_EQ(table.captions, (axis_values<std::string>{"Depth (m)", "Y", "Temp, \"C\""}));
    EXPECT_EQ(table.points, (data_points_{{1, 2, 3}}));

    table = parse_point_table("1,2,3\n");
    EXPECT_FALSE(table.has_header);
    EXPECT_EQ(table.captions, (axis_values<std::string>{"X", "Y", "Z"}));
}

TEST(PointTable, RowsThatDoNotConvertAreSkippedAndCounted) {
    const point_table table = parse_point_table("x,y,z\n"
                                                "1,2,3\n"
                                                "\n"
                                                "4,,6\n"      // empty cell
                                                "7,8\n"       // two cells
                                                "1e999,1,1\n" // beyond a double
                                                "a,b,c\n"
                                                "10,11,12,extra\n"
                                                "  \n");
    EXPECT_EQ(table.points, (data_points_{{1, 2, 3}, {10, 11, 12}}));
    EXPECT_EQ(table.rows_skipped, 4);
}

TEST(PointTable, DecimalCommaBetweenBlanks) {
    const point_table table = parse_point_table("x y z\n1,5 -2,25 3\n4 5,5 6\n");
    EXPECT_EQ(table.separator, ' ');
    EXPECT_TRUE(table.has_header);
    EXPECT_EQ(table.points, (data_points_{{1.5, -2.25, 3}, {4, 5.5, 6}}));
}
