// The 101-row cache in front of the grid, the default cell, the book list,
// and how a grid cell is drawn.
#include "import/clc.h"
#include "import/xls.h"
#include "test_files.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

// 300 rows of three numbers: row r holds r, 2r, 3r; row 10 is bold on a fill.
std::filesystem::path rows_workbook() {
    std::string data;
    for (int r = 1; r <= 300; ++r) {
        std::string n = std::to_string(r);
        std::string s = r == 10 ? R"( s="1")" : "";
        data += "<row r=\"" + n + "\"><c r=\"A" + n + "\"" + s + "><v>" + n + "</v></c><c r=\"B" +
                n + "\"><v>" + std::to_string(2 * r) + "</v></c><c r=\"C" + n + "\"><v>" +
                std::to_string(3 * r) + "</v></c></row>";
    }
    std::string styles =
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
        R"(<fonts><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="12"/><color rgb="FF00FF00"/><name val="Arial"/></font></fonts>)"
        R"(<fills><fill><patternFill/></fill><fill><patternFill/></fill><fill><patternFill patternType="solid"><fgColor rgb="FF102030"/></patternFill></fill></fills>)"
        R"(<cellXfs><xf fontId="0" fillId="0"/><xf fontId="1" fillId="2"/></cellXfs></styleSheet>)";
    return write_zip("rows.xlsx", xlsx_package({xlsx_sheet(data), xlsx_sheet("")}, {}, styles));
}

struct window {
    std::int32_t first, last;
    bool operator==(const window&) const = default;
};

window cache_of(const xls& reader) {
    const sb_sheet& c = reader.files()[0].sheets[0].cache;
    return {c.first_row, c.last_row};
}

TEST(RowCache, WindowAroundTheRowAskedFor) {
    xls reader;
    ASSERT_EQ(reader.open_book(rows_workbook().string()), 0);
    EXPECT_EQ(cache_of(reader), (window{-1, -1}));

    EXPECT_EQ(reader.cached_cell(0, 0, 30, 2).value, "60");
    EXPECT_EQ(cache_of(reader), (window{1, 101}));
    const sb_sheet& cache = reader.files()[0].sheets[0].cache;
    EXPECT_EQ(cache.cached_rows.size(), 101u);
    EXPECT_TRUE(cache.cached_rows[29].loaded); // the whole row, on first use
    EXPECT_EQ(cache.cached_rows[29].row_cells.size(), 3u);
    EXPECT_FALSE(cache.cached_rows[30].loaded);

    EXPECT_EQ(reader.cached_cell(0, 0, 101, 3).value, "303");
    EXPECT_EQ(cache_of(reader), (window{1, 101}));
    EXPECT_EQ(reader.cached_cell(0, 0, 102, 1).value, "102");
    EXPECT_EQ(cache_of(reader), (window{52, 152}));
    EXPECT_EQ(reader.cached_cell(0, 0, 200, 1).value, "200");
    EXPECT_EQ(cache_of(reader), (window{150, 250}));
    EXPECT_EQ(reader.cached_cell(0, 0, 290, 1).value, "290");
    EXPECT_EQ(cache_of(reader), (window{240, 300})); // clipped to the used rows
}

TEST(RowCache, OutsideTheUsedAreaTheDefaultCellWithoutTouchingTheCache) {
    xls reader;
    ASSERT_EQ(reader.open_book(rows_workbook().string()), 0);
    const cell_value blank;
    EXPECT_EQ(blank.background, white);
    EXPECT_EQ(blank.attr.color, 0);
    for (auto [row, column] : {std::pair{0, 1}, {1, 0}, {301, 1}, {1, 4}, {-5, 2}})
        EXPECT_EQ(reader.cached_cell(0, 0, row, column), blank) << row << "," << column;
    EXPECT_EQ(reader.cached_cell(1, 0, 1, 1), blank);
    EXPECT_EQ(reader.cached_cell(0, 7, 1, 1), blank);
    EXPECT_EQ(reader.cell_text(0, 0, 301, 1), "");
    EXPECT_EQ(reader.cell_text(-1, 0, 1, 1), "");
    EXPECT_EQ(cache_of(reader), (window{-1, -1}));

    const sheet& empty = reader.files()[0].sheets[1];
    EXPECT_EQ(empty.used_rows, 1); // an empty sheet is 1 x 1
    EXPECT_EQ(empty.used_cols, 1);
}

TEST(RowCache, CachedCellsMatchDirectReads) {
    xls reader;
    ASSERT_EQ(reader.open_book(rows_workbook().string()), 0);
    cell_value styled = reader.cached_cell(0, 0, 10, 1);
    EXPECT_EQ(styled, reader.read_cell(0, 0, 10, 1));
    EXPECT_EQ(styled.attr, (font_attr{0x00FF00, "Arial", 12, font_bold}));
    EXPECT_EQ(styled.background, 0x302010);
}

TEST(OpenBooks, SeveralBooksAndClosing) {
    xls reader;
    EXPECT_TRUE(reader.available);
    EXPECT_EQ(reader.current_book(), -1);
    EXPECT_EQ(reader.open_book(temp_path("absent.xlsx").string()), -1);
    EXPECT_NE(reader.last_error().find("cannot open"), std::string::npos);
    EXPECT_TRUE(reader.files().empty());

    ASSERT_EQ(reader.open_book(rows_workbook().string()), 0);
    ASSERT_EQ(reader.open_book(data_path("basic.xls").string()), 1);
    EXPECT_EQ(reader.current_book(), 1);
    EXPECT_EQ(reader.files()[1].file_name, "basic.xls");
    EXPECT_EQ(reader.cell_text(0, 0, 2, 2), "4"); // reading book 0 makes it current
    EXPECT_EQ(reader.current_book(), 0);
    EXPECT_FALSE(reader.activate_book(2));
    EXPECT_EQ(reader.current_book(), 0);
    EXPECT_EQ(reader.load_sheets(1).size(), 3u);

    reader.close_all();
    EXPECT_EQ(reader.cell_text(0, 0, 2, 2), "");
    EXPECT_TRUE(reader.load_sheets(0).empty());
}

// Records what draw_cell asks of the canvas.
class recording_canvas : public cell_canvas {
  public:
    std::vector<std::string> calls;
    void fill_ellipse(const cell_rect& b, std::int32_t color) override {
        calls.push_back("ellipse " + box(b) + " " + hex(color));
    }
    void line(int x0, int y0, int x1, int y1, std::int32_t color) override {
        calls.push_back("line " + std::to_string(x0) + "," + std::to_string(y0) + " " +
                        std::to_string(x1) + "," + std::to_string(y1) + " " + hex(color));
    }
    int text_width(std::string_view text, const font_attr&) override {
        return static_cast<int>(text.size()) * 7;
    }
    void text(const cell_rect& clip, int x, int y, std::string_view text, const font_attr& font,
              std::optional<std::int32_t> background) override {
        calls.push_back("text " + box(clip) + " " + std::to_string(x) + "," + std::to_string(y) +
                        " '" + std::string(text) + "' " + font.name + "/" +
                        std::to_string(font.size) + "/" + std::to_string(font.style) + "/" +
                        hex(font.color) + (background ? " on " + hex(*background) : ""));
    }

  private:
    static std::string box(const cell_rect& r) {
        return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
    }
    static std::string hex(std::int32_t c) {
        char text[16];
        std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(c));
        return text;
    }
};

TEST(DrawCell, HeadingsDataCellsAndMarks) {
    xls reader;
    ASSERT_EQ(reader.open_book(rows_workbook().string()), 0);
    const cell_rect rect{100, 40, 174, 60};

    recording_canvas corner;
    reader.draw_cell(corner, rect, "", sheet_dot, 0, 0, 0, 0);
    EXPECT_EQ(corner.calls, std::vector<std::string>{"ellipse (103,43,109,49) FF0000"});

    recording_canvas number; // centred: 100 + 37 - 14 / 2
    reader.draw_cell(number, rect, "", no_marks, 0, 0, 12, 0);
    reader.draw_cell(number, rect, "Title", no_marks, 0, 0, 13, 0);
    reader.draw_cell(number, rect, "", no_marks, 0, 0, 0, 28);
    EXPECT_EQ(number.calls,
              (std::vector<std::string>{"text (100,40,174,60) 130,42 '12' /0/1/000000",
                                        "text (100,40,174,60) 120,42 'Title' /0/1/000000",
                                        "text (100,40,174,60) 130,42 'AB' /0/1/000000"}));

    recording_canvas data;
    reader.draw_cell(data, rect, "", static_cast<cell_marks>(row_hover | column_hover | used_edge),
                     0, 0, 10, 1);
    EXPECT_EQ(data.calls, (std::vector<std::string>{
                              "line 174,40 174,60 C0C0C0",
                              "text (100,40,174,60) 102,42 '10' Arial/12/1/00FF00 on 302010",
                              "line 100,59 174,59 FF0000", "line 100,40 174,40 FF0000",
                              "line 100,60 100,39 FF0000", "line 173,60 173,39 FF0000",
                              "line 174,40 174,60 000000"}));

    clc calc; // Calc cells keep the grid's font, in black
    ASSERT_EQ(calc.open_book(data_path("mixed.ods").string()), 0);
    recording_canvas styled;
    calc.draw_cell(styled, rect, "", no_marks, 0, 0, 12, 1);
    EXPECT_EQ(styled.calls[1], "text (100,40,174,60) 102,42 '7' /0/0/000000 on 00FFFF");
}

} // namespace
