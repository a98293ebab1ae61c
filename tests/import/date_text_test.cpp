// Day serials of the 1900 date system and their ISO texts.
#include "import/date_text.h"
#include "import/workbook.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tessaline;

namespace {

TEST(DateText, SerialsAroundTheFictitiousLeapDay) {
    struct row {
        double serial;
        const char* text;
    } rows[] = {{1, "1900-01-01"},  {59, "1900-02-28"},           {60, "1900-02-29"},
                {61, "1900-03-01"}, {45322, "2024-01-31"},        {45322.5, "2024-01-31 12:00:00"},
                {0.25, "06:00:00"}, {45322.999999, "2024-02-01"}, {2958465, "9999-12-31"}};
    for (const auto& r : rows) {
        EXPECT_EQ(date_text(r.serial), r.text) << r.serial;
        // Back from the text to within the second the text keeps.
        EXPECT_NEAR(date_serial(r.text).value_or(-1), r.serial, 0.5 / 86400) << r.text;
    }
    EXPECT_EQ(date_text(-1), "");
    EXPECT_EQ(date_text(2958466), "");
    EXPECT_EQ(date_text(std::nan("")), "");
}

TEST(DateText, ParsingRefusesWhatIsNoDate) {
    EXPECT_EQ(date_serial("2024-01-31T18:00:00"), 45322.75);
    EXPECT_EQ(date_serial("2024-01-31 18:00"), 45322.75);
    EXPECT_EQ(date_serial("1900-02-29"), 60);
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-1-31", "2024-01-31X", "25:00:00",
                            "12:61", "", "2024-01-31T", "yesterday"})
        EXPECT_FALSE(date_serial(bad)) << bad;
    EXPECT_EQ(duration_serial("PT12H30M"), 0.5 + 30.0 / 1440);
    EXPECT_EQ(duration_serial("P1DT6H"), 1.25);
    for (const char* bad : {"PT", "T12H", "PT12X", "P-1D", "PT1H2"})
        EXPECT_FALSE(duration_serial(bad)) << bad;
}

TEST(SheetList, NamesAndUsedSizesOrTheReason) {
    sheet_list list = list_sheets(test::data_path("mixed.xls").string());
    ASSERT_TRUE(list.error.empty()) << list.error;
    ASSERT_EQ(list.sheets.size(), 3u);
    EXPECT_EQ(list.sheets[1].name, "Wide");
    EXPECT_EQ(list.sheets[1].used_rows, 10);
    EXPECT_EQ(list.sheets[1].used_cols, 29);
    sheet_list none = list_sheets(test::data_path("README.md").string());
    EXPECT_TRUE(none.sheets.empty());
    EXPECT_EQ(none.error.rfind("cannot open \"README.md\"", 0), 0u);
}

} // namespace
