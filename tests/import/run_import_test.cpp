#include "import/clc.h"
#include "import/run_import.h"
#include "import/xls.h"

#include "base/work_stopped.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessaline;

namespace {
const std::string data = TESSALINE_TEST_DATA;

import_choice xyz_with_title() {
    import_choice c;
    c.sheet = 0;
    c.title_row = 0;
    c.data_begin_row = 1;
    c.x_column = 0;
    c.y_column = 1;
    c.z_column = 2;
    return c;
}
} // namespace

TEST(ImportNumber, RegionalForm) {
    EXPECT_EQ(import_number(" 5 ", '.'), 5);
    EXPECT_EQ(import_number("+6", '.'), 6);
    EXPECT_EQ(import_number("7e1", '.'), 70);
    EXPECT_EQ(import_number("-2.5E-7", '.'), -2.5e-7);
    EXPECT_EQ(import_number("1,5", ','), 1.5);
    EXPECT_EQ(import_number(".5", '.'), 0.5);
    EXPECT_EQ(import_number("5.", '.'), 5);
    for (const char* bad : {"", " ", "1,5", "1.234.5", "25%", "$12", "1,234.50", "n/a", "inf",
                            "nan", "0x10", "1e", "1e+", "--1", "1 2", "1e400"})
        EXPECT_FALSE(import_number(bad, '.').has_value()) << bad;
    EXPECT_FALSE(import_number("1.5", ',').has_value());
}

TEST(RunImport, ExcelValuesAndCalcDisplayedNumbers) {
    xls excel;
    excel.decimal_separator = '.';
    const std::int32_t book = excel.open_book(data + "/mixed.xlsx");
    ASSERT_GE(book, 0) << excel.last_error();
    const import_result from_excel = run_import(excel, book, xyz_with_title());
    // plain, fractions, formatted, number as text, formula, precision, styled,
    // after gap, spaces and signs.
    EXPECT_EQ(from_excel.points.size(), 9u);
    EXPECT_EQ(from_excel.rows_skipped, 5);
    EXPECT_EQ(from_excel.points[2], (data_point{0.25, 1234.5, 12}));
    EXPECT_EQ(from_excel.points.back(), (data_point{5, 6, 70}));
    ASSERT_TRUE(from_excel.captions.has_value());
    EXPECT_EQ((*from_excel.captions)[0], "X");

    clc calc;
    calc.decimal_separator = '.';
    const std::int32_t calc_book = calc.open_book(data + "/mixed.ods");
    ASSERT_GE(calc_book, 0) << calc.last_error();
    const import_result from_calc = run_import(calc, calc_book, xyz_with_title());
    // The percent, grouped and currency cell counts as the number it holds;
    // TRUE shown as a word does not.
    EXPECT_EQ(from_calc.points, from_excel.points);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(run_import(excel, book, xyz_with_title(), stop.get_token()), work_stopped);
}

TEST(RunImport, RowsOutsideAndTitles) {
    xls excel;
    const std::int32_t book = excel.open_book(data + "/basic.xlsx");
    ASSERT_GE(book, 0);
    import_choice c = xyz_with_title();
    const import_result all = run_import(excel, book, c);
    EXPECT_EQ(all.points.size(), 40u);
    EXPECT_EQ((*all.captions)[1], "Width");

    c.data_begin_row = 41; // below the last used row
    EXPECT_TRUE(run_import(excel, book, c).points.empty());

    c = xyz_with_title();
    c.z_column = 4; // one right of the used area: empty cells
    const import_result right = run_import(excel, book, c);
    EXPECT_TRUE(right.points.empty());
    EXPECT_EQ((*right.captions)[2], "Z");

    c = xyz_with_title();
    c.title_row = -1;
    c.data_begin_row = 0; // the title row read as data is skipped there
    const import_result no_title = run_import(excel, book, c);
    EXPECT_EQ(no_title.points.size(), 40u);
    EXPECT_EQ(no_title.rows_skipped, 1);
    EXPECT_FALSE(no_title.captions.has_value());

    c.sheet = 7;
    EXPECT_TRUE(run_import(excel, book, c).points.empty());
}
