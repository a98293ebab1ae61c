// Text tables read as workbooks of one sheet: the import then picks their
// columns as it picks a workbook's.
#include "import/run_import.h"
#include "import/workbook.h"
#include "import/xls.h"
#include "test_files.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

import_choice columns(std::int32_t title_row, std::int32_t first_row) {
    return {.sheet = 0,
            .data_begin_row = first_row,
            .title_row = title_row,
            .x_column = 0,
            .y_column = 1,
            .z_column = 2};
}

TEST(TextTable, OneSheetNamedAfterTheFileWithNumbersAndTexts) {
    const workbook_result read = read_workbook(
        write_file("depths.csv", "Depth;Temp;Salt;Note\n1,5;-2,25;3e2;ok\n\n4;5;6\n").string());
    ASSERT_TRUE(read.book) << read.error;
    const workbook& book = *read.book;
    EXPECT_EQ(book.format, workbook_format::text);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "depths");
    EXPECT_EQ(book.sheets[0].used_rows, 4); // the blank line keeps its row
    EXPECT_EQ(book.sheets[0].used_cols, 4);
    EXPECT_EQ(book.cell(0, 1, 1).kind, cell_kind::text);
    EXPECT_EQ(book.cell(0, 1, 1).text, "Depth");
    EXPECT_EQ(book.cell(0, 2, 2).kind, cell_kind::number);
    EXPECT_EQ(book.cell(0, 2, 2).number, -2.25);
    EXPECT_EQ(book.cell(0, 2, 3).number, 300);
    EXPECT_EQ(book.cell(0, 2, 4).text, "ok");
    EXPECT_EQ(book.cell(0, 3, 1).kind, cell_kind::empty);
}

TEST(TextTable, ImportsAsAWorkbookDoesWhateverTheUsersSeparator) {
    const std::string path =
        write_file("plain.dat", "x y z\n1 2 3\nbad row here\n4,5 5 6\n7 8\n").string();
    for (const char separator : {'.', ','}) {
        xls reader;
        reader.decimal_separator = separator;
        const std::int32_t book = reader.open_book(path);
        ASSERT_GE(book, 0) << reader.last_error();
        const import_result result = run_import(reader, book, columns(0, 1));
        EXPECT_EQ(result.points, (data_points_{{1, 2, 3}, {4.5, 5, 6}})) << separator;
        EXPECT_EQ(result.rows_skipped, 2);
        ASSERT_TRUE(result.captions);
        EXPECT_EQ(*result.captions, (std::array<std::string, 3>{"x", "y", "z"}));
    }
}

TEST(TextTable, FilesThatAreNoTable) {
    expect_refused(write_file("empty.csv", ""), "holds no cells");
    expect_refused(write_file("blank.txt", "\n  \n"), "holds no cells");
    expect_refused(write_file("image.dat", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
                   "neither a workbook nor a text table");
    expect_refused(write_file("notes.txt", "Read me first.\nVersion 1.2 of the notes.\n"),
                   "without a row of two or more numbers");
    expect_refused(write_file("graph.xyz", "<?xml version=\"1.0\"?>\n<graph/>\n"), "XML file");
    read_limits small;
    small.max_table_bytes = 8;
    expect_refused(write_file("long.csv", "1,2,3\n4,5,6\n"), "larger than", small);
    // A name that claims a workbook is held to it.
    expect_refused(write_file("table.xlsx", "1,2,3\n"), "not an Excel or OpenDocument");
}

} // namespace
