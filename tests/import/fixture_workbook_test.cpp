// Workbooks written by an office suite: every reader gives exactly the texts
// the suite exports for every cell, sheet by sheet.
#include "import/clc.h"
#include "import/xls.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessaline;
using namespace tessaline::test;

namespace {

struct fixture {
    std::string book;    // file in tests/data/workbooks
    std::string reading; // "value" (xls) or "shown" (clc)
};

void PrintTo(const fixture& f, std::ostream* out) {
    *out << f.book << " (" << f.reading << ")";
}

std::string stem(const std::string& file) {
    return file.substr(0, file.find('.'));
}

template <class Reader> void expect_sheets_match(Reader& reader, const fixture& f) {
    std::int32_t book = reader.open_book(data_path(f.book).string());
    ASSERT_EQ(book, 0) << reader.last_error();
    const auto& list = reader.files()[0].sheets;
    std::vector<std::string> names;
    for (const auto& s : list)
        names.push_back(s.name);
    if (stem(f.book) == "basic")
        EXPECT_EQ(names, (std::vector<std::string>{"Data", "Notes", "Empty"}));
    else
        EXPECT_EQ(names, (std::vector<std::string>{"Mixed", "Wide", "Température Σ"}));

    for (std::int32_t s = 0; s < static_cast<std::int32_t>(list.size()); ++s) {
        auto rows =
            read_csv(data_path(stem(f.book) + "." + list[s].name + "." + f.reading + ".csv"));
        std::size_t width = 0;
        for (const auto& r : rows)
            width = std::max(width, r.size());
        SCOPED_TRACE(f.book + " sheet " + list[s].name);
        EXPECT_EQ(list[s].used_rows,
                  std::max<std::int32_t>(1, static_cast<std::int32_t>(rows.size())));
        EXPECT_EQ(list[s].used_cols, std::max<std::int32_t>(1, static_cast<std::int32_t>(width)));
        for (std::int32_t r = 1; r <= list[s].used_rows + 1; ++r)
            for (std::int32_t c = 1; c <= list[s].used_cols + 1; ++c) {
                std::string expected;
                if (static_cast<std::size_t>(r) <= rows.size() &&
                    static_cast<std::size_t>(c) <= rows[r - 1].size())
                    expected = rows[r - 1][c - 1];
                EXPECT_EQ(reader.cell_text(book, s, r, c), expected)
                    << "row " << r << " column " << c;
            }
    }
}

class FixtureWorkbook : public ::testing::TestWithParam<fixture> {};

TEST_P(FixtureWorkbook, EveryCellReadsAsTheSuiteShowsIt) {
    const fixture& f = GetParam();
    if (f.reading == "shown") {
        clc reader;
        reader.decimal_separator = '.';
        expect_sheets_match(reader, f);
    } else {
        xls reader;
        reader.decimal_separator = '.';
        expect_sheets_match(reader, f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Suite, FixtureWorkbook,
    ::testing::Values(fixture{"basic.xlsx", "value"}, fixture{"basic.xls", "value"},
                      fixture{"basic.ods", "shown"}, fixture{"mixed.xlsx", "value"},
                      fixture{"mixed.xls", "value"}, fixture{"mixed.ods", "shown"}),
    [](const auto& info) {
        std::string name = info.param.book;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

TEST(FixtureWorkbook, ExcelNumbersFollowTheUsersDecimalSeparator) {
    xls reader;
    reader.decimal_separator = ',';
    ASSERT_EQ(reader.open_book(data_path("mixed.xlsx").string()), 0);
    EXPECT_EQ(reader.cell_text(0, 0, 3, 1), "-1,5");
    EXPECT_EQ(reader.cell_text(0, 0, 11, 3), "-2,5E-7");
    EXPECT_EQ(reader.cell_text(0, 0, 5, 1), "12.5"); // a text stays as written
}

TEST(FixtureWorkbook, StyledCellsCarryFontAndFill) {
    for (const char* book : {"mixed.xlsx", "mixed.xls"}) {
        SCOPED_TRACE(book);
        xls reader;
        ASSERT_EQ(reader.open_book(data_path(book).string()), 0);
        cell_value styled = reader.read_cell(0, 0, 12, 2);
        EXPECT_EQ(styled.value, "8");
        EXPECT_EQ(styled.attr.name, "Courier New");
        EXPECT_EQ(styled.attr.size, 14);
        EXPECT_EQ(styled.attr.style, font_bold | font_italic | font_underline);
        EXPECT_EQ(styled.attr.color, 0x0000FF); // red as 0x00BBGGRR
        EXPECT_EQ(styled.background, 0x00FFFF); // yellow
        // A cell in the workbook's default font is drawn in the grid's, as
        // the same cell of the .ods is.
        cell_value plain = reader.read_cell(0, 0, 2, 1);
        EXPECT_EQ(plain.attr, font_attr{});
        EXPECT_EQ(plain.background, white);
    }

    clc calc;
    ASSERT_EQ(calc.open_book(data_path("mixed.ods").string()), 0);
    EXPECT_EQ(calc.read_cell(0, 0, 12, 2).background, 0x00FFFF);
    EXPECT_EQ(calc.read_cell(0, 0, 12, 2).attr, font_attr{}); // fonts stay the grid's
    EXPECT_EQ(calc.read_cell(0, 0, 2, 1).background, white);
}

// The .xls and the .xlsx of one sheet name their fonts, colours and fills
// differently (records and a palette against XML); every cell must still
// come out the same, and its fill as the .ods gives it.
TEST(FixtureWorkbook, EveryCellOfTheXlsLooksAsInTheXlsxAndOds) {
    for (const std::string name : {"mixed", "basic"}) {
        SCOPED_TRACE(name);
        xls excel, old_excel;
        clc calc;
        ASSERT_EQ(excel.open_book(data_path(name + ".xlsx").string()), 0);
        ASSERT_EQ(old_excel.open_book(data_path(name + ".xls").string()), 0)
            << old_excel.last_error();
        ASSERT_EQ(calc.open_book(data_path(name + ".ods").string()), 0);
        const auto& list = excel.files()[0].sheets;
        for (std::int32_t s = 0; s < static_cast<std::int32_t>(list.size()); ++s)
            for (std::int32_t r = 1; r <= list[s].used_rows; ++r)
                for (std::int32_t c = 1; c <= list[s].used_cols; ++c) {
                    cell_value a = excel.read_cell(0, s, r, c), b = old_excel.read_cell(0, s, r, c);
                    SCOPED_TRACE("sheet " + list[s].name + " row " + std::to_string(r) +
                                 " column " + std::to_string(c));
                    EXPECT_EQ(b.attr.name, a.attr.name);
                    EXPECT_EQ(b.attr.size, a.attr.size);
                    EXPECT_EQ(b.attr.style, a.attr.style);
                    EXPECT_EQ(b.attr.color, a.attr.color);
                    EXPECT_EQ(b.background, a.background);
                    EXPECT_EQ(b.background, calc.read_cell(0, s, r, c).background);
                }
    }
}

} // namespace
