#include "files/table_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessaline;

TEST(TableText, TheSeparatorIsTheOneThatPartsTheMostNumbers) {
    struct row {
        const char* text;
        char separator;
    } rows[] = {
        // A decimal comma between ";" or blanks belongs to its number.
        {"x;y;z\n1,5;2,5;3\n4,25;5;6\n", ';'},
        {"1,5 2,5 3,5\n4,5 5,5 6,5\n", blank_separator},
        {"1,5\t2,5\n", '\t'},
        {"a,b,c\n1.5,2.5,3.5\n", ','},
        // Blanks after commas do not make a blank-separated table.
        {"1, 2, 3\n", ','},
        // A title line and a header pass; the data decide.
        {"Measurement run 3\nx y z\n1 2 3\n", blank_separator},
        // Words alone: the first mark, tab before ";" before ",".
        {"name;place,town\n", ';'},
        {"only words here\n", blank_separator},
    };
    for (const row& r : rows)
        EXPECT_EQ(table_separator(r.text), r.separator) << r.text;
}

TEST(TableText, CellsOfALine) {
    EXPECT_EQ(table_cells(" a , \"b;\"\"c\"\"\" ,,d", ','),
              (std::vector<std::string>{"a", "b;\"c\"", "", "d"}));
    EXPECT_EQ(table_cells("1;2;3;4", ';', 2), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(table_cells("  1\t \"two words\"  3 ", blank_separator),
              (std::vector<std::string>{"1", "two words", "3"}));
    EXPECT_TRUE(table_cells("   ", blank_separator).empty());
}

TEST(TableText, LinesAreNumberedWithoutTheirEnds) {
    std::vector<std::pair<std::string, std::size_t>> lines;
    for_each_table_line("\xEF\xBB\xBF"
                        "a\r\n\nb\nc",
                        [&](std::string_view line, std::size_t number) {
                            lines.emplace_back(line, number);
                            return number < 3;
                        });
    EXPECT_EQ(lines,
              (std::vector<std::pair<std::string, std::size_t>>{{"a", 1}, {"", 2}, {"b", 3}}));
}
