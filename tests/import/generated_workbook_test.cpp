// Workbooks built in the test for what real files rarely show at once:
// missing dimensions and references, rich and inline text, cells out of
// order, repeat counts, styles by inheritance and by theme; .xls styles by
// palette and font index.
#include "import/clc.h"
#include "import/workbook.h"
#include "import/xls.h"
#include "test_files.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

const std::string sst_head =
    R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";
const std::string styles_head =
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";

workbook read_ok(const std::filesystem::path& path) {
    workbook_result r = read_workbook(path.string());
    EXPECT_TRUE(r.book) << r.error;
    return r.book ? std::move(*r.book) : workbook{};
}

TEST(GeneratedXlsx, CellsWithoutDimensionReferencesOrOrder) {
    std::string strings =
        sst_head + "<si><t>plain</t></si>"
                   "<si><r><rPr><b/></rPr><t>rich </t></r><r><t xml:space=\"preserve\">runs</t></r>"
                   "<rPh sb=\"0\" eb=\"1\"><t>phonetic</t></rPh></si>"
                   "<si><t>line_x000D__x000A_break</t></si></sst>";
    // No <dimension>; row 3 before row 1; C before A; a row and cells with no "r".
    std::string data =
        R"(<row r="3"><c r="C3"><v>3.5</v></c><c r="A3" t="s"><v>1</v></c></row>)"
        R"(<row r="1"><c r="B1" t="inlineStr"><is><t>inline</t></is></c></row>)"
        R"(<row><c t="s"><v>0</v></c><c><v>-2E-5</v></c><c r="E4" t="s"><v>2</v></c></row>)"
        R"(<row r="7"><c r="A7" t="b"><v>0</v></c><c r="B7" t="e"><f>1/0</f><v>#DIV/0!</v></c>)"
        R"(<c r="C7" t="str"><f>"a"&amp;"b"</f><v>ab</v></c><c r="D7" t="d"><v>2024-02-29T06:00:00</v></c>)"
        R"(<c r="E7" s="0"/><c r="F7" t="s"><v>99</v></c></row>)";
    auto path = write_zip("cells.xlsx", xlsx_package({xlsx_sheet(data)}, strings));

    xls reader;
    reader.decimal_separator = '.';
    ASSERT_EQ(reader.open_book(path.string()), 0) << reader.last_error();
    const sheet& s = reader.files()[0].sheets[0];
    EXPECT_EQ(s.used_rows, 7);
    EXPECT_EQ(s.used_cols, 5); // the formatted empty E7 and the broken F7 hold nothing
    EXPECT_EQ(reader.cell_text(0, 0, 1, 2), "inline");
    EXPECT_EQ(reader.cell_text(0, 0, 3, 1), "rich runs");
    EXPECT_EQ(reader.cell_text(0, 0, 3, 3), "3.5");
    EXPECT_EQ(reader.cell_text(0, 0, 2, 1), "plain"); // the row after row 1 in the file
    EXPECT_EQ(reader.cell_text(0, 0, 2, 2), "-2E-5");
    EXPECT_EQ(reader.cell_text(0, 0, 4, 5), "line\r\nbreak");
    EXPECT_EQ(reader.cell_text(0, 0, 7, 1), "False");
    EXPECT_EQ(reader.cell_text(0, 0, 7, 2), std::nullopt); // an error has no text form
    EXPECT_EQ(reader.read_cell(0, 0, 7, 2).value, "#DIV/0!");
    EXPECT_EQ(reader.cell_text(0, 0, 7, 3), "ab");
    EXPECT_EQ(reader.cell_text(0, 0, 7, 4), "2024-02-29 06:00:00");
    EXPECT_EQ(reader.cell_text(0, 0, 5, 1), "");
}

TEST(GeneratedXlsx, LaterCellAtTheSamePlaceWins) {
    auto path = write_zip(
        "twice.xlsx",
        xlsx_package({xlsx_sheet(
            R"(<row r="1"><c r="A1"><v>1</v></c><c r="A1"><v>2</v></c></row><row r="1"><c r="A1"><v>3</v></c></row>)")}));
    workbook book = read_ok(path);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].cells.size(), 1u);
    EXPECT_EQ(book.cell(0, 1, 1).number, 3);
}

TEST(GeneratedXlsx, DateFormatsAndTheTwoDateSystems) {
    std::string styles =
        styles_head +
        R"(<numFmts count="3"><numFmt numFmtId="164" formatCode="yyyy\-mm\-dd hh:mm"/>)"
        R"(<numFmt numFmtId="165" formatCode="&quot;day&quot;\ 0.00"/>)"
        R"(<numFmt numFmtId="166" formatCode="[Red][&gt;100]0;[h]:mm"/></numFmts>)"
        R"(<cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/>)"
        R"(<xf numFmtId="165"/><xf numFmtId="166"/></cellXfs></styleSheet>)";
    std::string data =
        R"(<row r="1"><c r="A1" s="1"><v>45322</v></c><c r="B1" s="2"><v>45322.75</v></c>)"
        R"(<c r="C1" s="3"><v>45322</v></c><c r="D1" s="4"><v>45322</v></c>)"
        R"(<c r="E1" s="1"><v>0.5</v></c><c r="F1" s="1"><v>60</v></c><c r="G1" s="1"><v>1E10</v></c></row>)";
    xls reader;
    reader.decimal_separator = '.';
    auto path = write_zip("dates.xlsx", xlsx_package({xlsx_sheet(data)}, {}, styles));
    ASSERT_EQ(reader.open_book(path.string()), 0) << reader.last_error();
    EXPECT_EQ(reader.cell_text(0, 0, 1, 1), "2024-01-31");
    EXPECT_EQ(reader.cell_text(0, 0, 1, 2), "2024-01-31 18:00:00");
    EXPECT_EQ(reader.cell_text(0, 0, 1, 3), "45322"); // quoted "day" is no date part
    EXPECT_EQ(reader.cell_text(0, 0, 1, 4), "45322"); // the first section decides
    EXPECT_EQ(reader.cell_text(0, 0, 1, 5), "12:00:00");
    EXPECT_EQ(reader.cell_text(0, 0, 1, 6), "1900-02-29");  // the 1900 system's own day 60
    EXPECT_EQ(reader.cell_text(0, 0, 1, 7), "10000000000"); // no date that far: a number

    xls reader1904;
    auto path1904 = write_zip("dates1904.xlsx", xlsx_package({xlsx_sheet(data)}, {}, styles,
                                                             R"(<workbookPr date1904="1"/>)"));
    ASSERT_EQ(reader1904.open_book(path1904.string()), 0);
    EXPECT_EQ(reader1904.cell_text(0, 0, 1, 1), "2028-02-01");
}

TEST(GeneratedXlsx, FontsAndFillsFromRgbIndexedAndThemeColours) {
    std::string styles =
        styles_head +
        R"(<colors><indexedColors><rgbColor rgb="FF000000"/><rgbColor rgb="FF123456"/></indexedColors></colors>)"
        R"(<fonts><font><sz val="11"/><name val="Calibri"/></font>)"
        R"(<font><b val="0"/><i/><u val="none"/><sz val="10.5"/><color indexed="1"/><name val="Arial"/></font>)"
        R"(<font><u val="double"/><sz val="9"/><color theme="1"/><name val="Arial"/></font></fonts>)"
        R"(<fills><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
        R"(<fill><patternFill patternType="solid"><fgColor theme="4" tint="0.5"/></patternFill></fill>)"
        R"(<fill><patternFill patternType="solid"><fgColor indexed="12"/></patternFill></fill></fills>)"
        R"(<cellXfs><xf fontId="0" fillId="0"/><xf fontId="1" fillId="2"/><xf fontId="2" fillId="3"/>)"
        R"(<xf fontId="9" fillId="1"/></cellXfs></styleSheet>)";
    std::string theme =
        R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements>)"
        R"(<a:clrScheme name="t"><a:dk1><a:sysClr val="windowText" lastClr="000000"/></a:dk1>)"
        R"(<a:lt1><a:sysClr val="window" lastClr="FFFFFF"/></a:lt1><a:dk2><a:srgbClr val="44546A"/></a:dk2>)"
        R"(<a:lt2><a:srgbClr val="E7E6E6"/></a:lt2><a:accent1><a:srgbClr val="4472C4"/></a:accent1>)"
        R"(</a:clrScheme></a:themeElements></a:theme>)";
    auto entries = xlsx_package(
        {xlsx_sheet(R"(<row r="1"><c r="A1" s="1"><v>1</v></c><c r="B1" s="2"><v>2</v></c>)"
                    R"(<c r="C1" s="3"><v>3</v></c><c r="D1"><v>4</v></c></row>)")},
        {}, styles);
    entries.emplace_back("xl/theme/theme1.xml", theme);
    for (auto& [name, content] : entries)
        if (name == "xl/_rels/workbook.xml.rels")
            content.insert(
                content.find("</Relationships>"),
                R"(<Relationship Id="rIdT" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme" Target="/xl/theme/theme1.xml"/>)");
    xls reader;
    ASSERT_EQ(reader.open_book(write_zip("colours.xlsx", entries).string()), 0)
        << reader.last_error();

    cell_value a = reader.read_cell(0, 0, 1, 1);
    EXPECT_EQ(a.attr, (font_attr{0x563412, "Arial", 10, font_italic})); // 10.5 rounds to even
    EXPECT_EQ(a.background, 0xE2B8A2); // accent 1 (4472C4) half way to white in lightness
    cell_value b = reader.read_cell(0, 0, 1, 2);
    EXPECT_EQ(b.attr, (font_attr{0x000000, "Arial", 9, font_underline})); // theme 1 is dark 1
    EXPECT_EQ(b.background, 0xFF0000);                                    // indexed 12: blue
    cell_value c = reader.read_cell(0, 0, 1, 3);
    EXPECT_EQ(c.attr, font_attr{}); // a font index past the list: the grid's font
    EXPECT_EQ(c.background, white); // gray125 is no fill
    // The default font (the first): the grid's own, as in a workbook without fonts.
    EXPECT_EQ(reader.read_cell(0, 0, 1, 4).attr, font_attr{});
}

// FONT: size in twips, italic flag, colour index, weight, underline, 8-bit name.
std::string biff_font(unsigned points, bool italic, unsigned color, unsigned weight, bool underline,
                      const std::string& name) {
    return biff_record(0x0031, le16(points * 20) + le16(italic ? 2 : 0) + le16(color) +
                                   le16(weight) + le16(0) + std::string(1, underline ? 1 : 0) +
                                   std::string(3, '\0') + static_cast<char>(name.size()) + '\0' +
                                   name);
}

// XF of a cell: font index, fill pattern with its two colour indexes.
std::string biff_xf(unsigned font, unsigned pattern, unsigned fore, unsigned back) {
    return biff_record(0x00E0, le16(font) + le16(0) + le16(0) + std::string(4, '\0') + le32(0) +
                                   le32(pattern << 26) + le16(fore | back << 7));
}

TEST(GeneratedXls, FontsAndFillsThroughTheirIndexesAndTheWorkbooksPalette) {
    std::string globals = biff_bof(0x0005);
    for (const char* name : {"Arial", "Tahoma", "Verdana", "Times"})
        globals += biff_font(10, false, 0x7FFF, 400, false, name);
    globals += biff_font(12, true, 10, 700, true, "Courier New"); // index 5: 4 is never written
    // Colours 10 and 20 replaced: 0x123456 and 0xABCDEF as red, green, blue.
    std::string colors;
    for (unsigned i = 8; i < 64; ++i)
        colors += i == 10   ? std::string("\x12\x34\x56\0", 4)
                  : i == 20 ? std::string("\xAB\xCD\xEF\0", 4)
                            : le32(0);
    globals += biff_record(0x0092, le16(56) + colors);
    globals += biff_xf(0, 0, 64, 65);  // 0: plain
    globals += biff_xf(5, 1, 20, 65);  // 1: Courier New, solid fill in colour 20
    globals += biff_xf(1, 2, 8, 10);   // 2: Tahoma, a pattern over colour 10
    globals += biff_xf(4, 17, 10, 20); // 3: no font, the grey that means no fill
    std::string sheet_record =
        biff_record(0x0085, le32(0) + std::string(2, '\0') + "\x01" + std::string(1, '\0') + "S");
    const std::string end = biff_record(0x000A, "");
    const auto offset = static_cast<unsigned>(globals.size() + sheet_record.size() + end.size());
    sheet_record.replace(4, 4, le32(offset));

    std::string sheet = biff_bof(0x0010);
    sheet += biff_record(0x0200, le32(0) + le32(3) + le16(0) + le16(3) + le16(0));
    double number = 1.5, result = 42;
    sheet += biff_record(0x0203, le16(0) + le16(0) + le16(1) +
                                     std::string(reinterpret_cast<const char*>(&number), 8));
    // MULRK: row 2, columns A to C, the integers 7, 8, 9 in XFs 2, 3, 0.
    sheet += biff_record(0x00BD, le16(1) + le16(0) + le16(2) + le32(7 << 2 | 2) + le16(3) +
                                     le32(8 << 2 | 2) + le16(0) + le32(9 << 2 | 2) + le16(2));
    sheet += biff_record(0x0006, le16(2) + le16(0) + le16(1) +
                                     std::string(reinterpret_cast<const char*>(&result), 8) +
                                     le16(0) + le32(0) + le16(0));
    sheet += end;

    xls reader;
    reader.decimal_separator = '.';
    ASSERT_EQ(
        reader.open_book(
            write_compound_file("styled.xls", {{"Workbook", globals + sheet_record + end + sheet}})
                .string()),
        0)
        << reader.last_error();
    font_attr courier{0x563412, "Courier New", 12, font_bold | font_italic | font_underline};
    cell_value styled = reader.read_cell(0, 0, 1, 1);
    EXPECT_EQ(styled.value, "1.5");
    EXPECT_EQ(styled.attr, courier);
    EXPECT_EQ(styled.background, 0xEFCDAB);
    cell_value formula = reader.read_cell(0, 0, 3, 1);
    EXPECT_EQ(formula.value, "42");
    EXPECT_EQ(formula.attr, courier);
    EXPECT_EQ(formula.background, 0xEFCDAB);

    cell_value patterned = reader.read_cell(0, 0, 2, 1);
    EXPECT_EQ(patterned.value, "7");
    EXPECT_EQ(patterned.attr, (font_attr{0, "Tahoma", 10, 0}));
    EXPECT_EQ(patterned.background, 0x563412);
    cell_value unnamed = reader.read_cell(0, 0, 2, 2);
    EXPECT_EQ(unnamed.value, "8");
    EXPECT_EQ(unnamed.attr, font_attr{});
    EXPECT_EQ(unnamed.background, white);
    cell_value plain = reader.read_cell(0, 0, 2, 3);
    EXPECT_EQ(plain.attr, font_attr{}) << "the default font: the grid's own";
    EXPECT_EQ(plain.background, white);
}

TEST(GeneratedXlsx, ChartSheetsAreLeftOutOfTheList) {
    auto entries = xlsx_package({xlsx_sheet(R"(<row r="2"><c r="B2"><v>1</v></c></row>)"),
                                 xlsx_sheet(R"(<row r="1"><c r="A1"><v>2</v></c></row>)")});
    for (auto& [name, content] : entries)
        if (name == "xl/_rels/workbook.xml.rels") {
            auto at = content.find("worksheet\" Target=\"worksheets/sheet2.xml");
            content.replace(at, 9, "chartsheet");
        }
    workbook book = read_ok(write_zip("chart.xlsx", entries));
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].name, "Sheet1");
    EXPECT_EQ(book.sheets[0].used_rows, 2);
    EXPECT_EQ(book.sheets[0].used_cols, 2);
}

TEST(GeneratedOds, RepeatedRowsAndColumnsExpandOnlyWhereTheyHoldSomething) {
    std::string tables =
        R"(<table:table table:name="Repeats"><table:table-column table:number-columns-repeated="16384"/>)"
        R"(<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="16384"/></table:table-row>)"
        R"(<table:table-row table:number-rows-repeated="3"><table:table-cell table:number-columns-repeated="2" office:value-type="float" office:value="7"><text:p>7.0</text:p></table:table-cell>)"
        R"(<table:covered-table-cell/><table:table-cell office:value-type="string"><text:p>x</text:p></table:table-cell>)"
        R"(<table:table-cell table:number-columns-repeated="16380"/></table:table-row>)"
        R"(<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="16384"/></table:table-row>)"
        R"(</table:table><table:table table:name="Empty"/>)";
    clc reader;
    ASSERT_EQ(reader.open_book(write_zip("repeats.ods", ods_package(tables)).string()), 0)
        << reader.last_error();
    const auto& list = reader.files()[0].sheets;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].used_rows, 5);
    EXPECT_EQ(list[0].used_cols, 4);
    EXPECT_EQ(list[1].used_rows, 1);
    EXPECT_EQ(list[1].used_cols, 1);
    for (int row = 3; row <= 5; ++row) {
        EXPECT_EQ(reader.cell_text(0, 0, row, 1), "7.0");
        EXPECT_EQ(reader.cell_text(0, 0, row, 2), "7.0");
        EXPECT_EQ(reader.cell_text(0, 0, row, 3), "");
        EXPECT_EQ(reader.cell_text(0, 0, row, 4), "x");
    }
    xls as_excel; // an ods named otherwise goes through the value reading
    as_excel.decimal_separator = '.';
    ASSERT_EQ(as_excel.open_book(write_zip("repeats.ODS", ods_package(tables)).string()), 0);
    EXPECT_EQ(as_excel.cell_text(0, 0, 3, 1), "7");
}

TEST(GeneratedOds, DisplayedTextKeepsSpacesTabsAndParagraphsButNotComments) {
    std::string tables =
        R"(<table:table table:name="T"><table:table-row>)"
        R"(<table:table-cell office:value-type="string"><text:p>a<text:s text:c="3"/>b<text:tab/>c</text:p>)"
        R"(<text:p>second <text:span>span</text:span><text:line-break/>end</text:p>)"
        R"(<office:annotation><text:p>a comment</text:p></office:annotation></table:table-cell>)"
        R"(<table:table-cell office:value-type="float" office:value="0.125"/>)"
        R"(<table:table-cell office:value-type="float" office:value="1" calcext:value-type="error"><text:p>#DIV/0!</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="boolean" office:boolean-value="true"/>)"
        R"(<table:table-cell office:value-type="date" office:date-value="2024-01-31T12:00:00"><text:p>01/31/24</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="time" office:time-value="PT12H30M"><text:p>12:30</text:p></table:table-cell>)"
        R"(</table:table-row></table:table>)";
    auto path = write_zip("texts.ods", ods_package(tables));
    clc calc;
    calc.decimal_separator = '.';
    ASSERT_EQ(calc.open_book(path.string()), 0) << calc.last_error();
    EXPECT_EQ(calc.cell_text(0, 0, 1, 1), "a   b\tc\nsecond span\nend");
    EXPECT_EQ(calc.cell_text(0, 0, 1, 2), "0.125"); // no displayed text recorded
    EXPECT_EQ(calc.cell_text(0, 0, 1, 3), "#DIV/0!");
    EXPECT_EQ(calc.cell_text(0, 0, 1, 4), "TRUE");
    EXPECT_EQ(calc.cell_text(0, 0, 1, 5), "01/31/24");

    xls excel;
    excel.decimal_separator = '.';
    ASSERT_EQ(excel.open_book(path.string()), 0);
    EXPECT_EQ(excel.cell_text(0, 0, 1, 3), std::nullopt);
    EXPECT_EQ(excel.cell_text(0, 0, 1, 4), "True");
    EXPECT_EQ(excel.cell_text(0, 0, 1, 5), "2024-01-31 12:00:00");
    EXPECT_EQ(excel.cell_text(0, 0, 1, 6), "12:30:00");
}

TEST(GeneratedOds, BackgroundsComeThroughParentsRowsAndColumns) {
    std::string named =
        R"(<style:style style:name="Default" style:family="table-cell"/>)"
        R"(<style:style style:name="Warm" style:family="table-cell" style:parent-style-name="Default">)"
        R"(<style:table-cell-properties fo:background-color="#ff8000"/></style:style>)";
    std::string automatic =
        R"(<style:style style:name="ce1" style:family="table-cell" style:parent-style-name="Warm"/>)"
        R"(<style:style style:name="ce2" style:family="table-cell" style:parent-style-name="Warm">)"
        R"(<style:table-cell-properties fo:background-color="transparent"/></style:style>)"
        R"(<style:style style:name="ce3" style:family="table-cell"><style:table-cell-properties fo:background-color="#0000FF"/></style:style>)"
        R"(<style:style style:name="loop" style:family="table-cell" style:parent-style-name="loop"/>)";
    std::string tables =
        R"(<table:table table:name="S"><table:table-column table:default-cell-style-name="ce3"/>)"
        R"(<table:table-column table:number-columns-repeated="4" table:default-cell-style-name="Default"/>)"
        R"(<table:table-row><table:table-cell><text:p>col</text:p></table:table-cell>)"
        R"(<table:table-cell table:style-name="ce1"><text:p>inherited</text:p></table:table-cell>)"
        R"(<table:table-cell table:style-name="ce2"><text:p>none</text:p></table:table-cell>)"
        R"(<table:table-cell table:style-name="loop"><text:p>loop</text:p></table:table-cell>)"
        R"(<table:table-cell table:style-name="missing"><text:p>missing</text:p></table:table-cell></table:table-row>)"
        R"(<table:table-row table:default-cell-style-name="ce1"><table:table-cell><text:p>row</text:p></table:table-cell></table:table-row>)"
        R"(</table:table>)";
    clc calc;
    ASSERT_EQ(
        calc.open_book(write_zip("styles.ods", ods_package(tables, automatic, named)).string()), 0)
        << calc.last_error();
    EXPECT_EQ(calc.read_cell(0, 0, 1, 1).background, 0xFF0000);
    EXPECT_EQ(calc.read_cell(0, 0, 1, 2).background, 0x0080FF);
    EXPECT_EQ(calc.read_cell(0, 0, 1, 3).background, white);
    EXPECT_EQ(calc.read_cell(0, 0, 1, 4).background, white);
    EXPECT_EQ(calc.read_cell(0, 0, 1, 5).background, white);
    EXPECT_EQ(calc.read_cell(0, 0, 2, 1).background, 0x0080FF);
}

} // namespace

namespace {

TEST(GeneratedOds, NamespacesMatterNotTheirPrefixes) {
    const std::string office = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
    const std::string table = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
    const std::string text = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
    const std::string body =
        R"(<t:table t:name="Odd"><t:table-row><t:table-cell o:value-type="float" o:value="2">)"
        R"(<p:p>two</p:p></t:table-cell></t:table-row></t:table>)";
    // Unusual prefixes on the root; then the table namespace declared further in.
    std::string on_root = "<o:document-content xmlns:o=\"" + office + "\" xmlns:t=\"" + table +
                          "\" xmlns:p=\"" + text + "\"><o:body><o:spreadsheet>" + body +
                          "</o:spreadsheet></o:body></o:document-content>";
    std::string inside = "<o:document-content xmlns:o=\"" + office + "\" xmlns:p=\"" + text +
                         "\"><o:body><o:spreadsheet xmlns:t=\"" + table + "\">" + body +
                         "<table:table xmlns:table=\"urn:example:not-a-table\"/>"
                         "</o:spreadsheet></o:body></o:document-content>";
    for (const std::string& content : {on_root, inside}) {
        workbook_result r =
            read_workbook(write_zip("prefixes.ods",
                                    {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                     {"content.xml", content}})
                              .string());
        ASSERT_TRUE(r.book) << r.error;
        ASSERT_EQ(r.book->sheets.size(), 1u);
        EXPECT_EQ(r.book->sheets[0].name, "Odd");
        EXPECT_EQ(r.book->cell(0, 1, 1).shown, "two");
        EXPECT_EQ(r.book->cell(0, 1, 1).number, 2);
    }
}

} // namespace

namespace {

TEST(GeneratedXlsx, LargeSheetsAreReadInPiecesWhateverThePrefix) {
    // About 16 MB of rows and 8 MB of shared strings, so that pieces end inside
    // rows, inside cells and at empty rows written as <x:row/>.
    std::string data;
    const int rows = 200'000;
    for (int r = 1; r <= rows; ++r) {
        std::string n = std::to_string(r);
        if (r % 1000 == 0) {
            data += "<x:row r=\"" + n + "\" spans=\"1:2\"/>";
            continue;
        }
        data += "<x:row r=\"" + n + "\"><x:c r=\"A" + n + "\"><x:v>" + n +
                "</x:v></x:c><x:c r=\"B" + n + "\" t=\"inlineStr\"><x:is><x:t>row " + n +
                "</x:t></x:is></x:c><x:c r=\"C" + n + "\" t=\"s\"><x:v>" + std::to_string(r - 1) +
                "</x:v></x:c></x:row>";
    }
    std::string strings =
        R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";
    for (int r = 1; r <= rows; ++r)
        strings += "<si><r><t>shared </t></r><r><t>" + std::to_string(r) + "</t></r></si>";
    strings += "</sst>";
    std::string sheet =
        R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
        R"(<x:sheetData>)" +
        data + "</x:sheetData><x:sheetDataExtra/></x:worksheet>";
    xls reader;
    ASSERT_EQ(reader.open_book(write_zip("pieces.xlsx", xlsx_package({sheet}, strings)).string()),
              0)
        << reader.last_error();
    EXPECT_EQ(reader.files()[0].sheets[0].used_rows, rows - 1); // the last row is empty
    EXPECT_EQ(reader.files()[0].sheets[0].used_cols, 3);
    std::size_t filled = 0;
    for (int r = 1; r <= rows; ++r) {
        bool empty = r % 1000 == 0;
        auto text = reader.cell_text(0, 0, r, 2);
        if (text == (empty ? "" : "row " + std::to_string(r)) &&
            reader.cell_text(0, 0, r, 1) == (empty ? "" : std::to_string(r)) &&
            reader.cell_text(0, 0, r, 3) == (empty ? "" : "shared " + std::to_string(r)))
            ++filled;
    }
    EXPECT_EQ(filled, static_cast<std::size_t>(rows));
}

} // namespace

namespace {

// A content part of several MB: tables that start and end between pieces,
// rows in groups and header rows, empty and repeated rows, comments in cells.
std::string large_tables() {
    std::string t;
    for (int table = 0; table < 3; ++table) {
        t += "<table:table table:name=\"T" + std::to_string(table) +
             "\">"
             "<table:table-column table:number-columns-repeated=\"4\"/>";
        if (table == 1) t += "<table:table-header-rows>";
        for (int r = 0; r < 30'000; ++r) {
            if (table == 1 && r == 2) t += "</table:table-header-rows><table:table-row-group>";
            if (r % 997 == 5) {
                t += "<table:table-row table:number-rows-repeated=\"3\"/>";
                continue;
            }
            std::string v = std::to_string(table * 100'000 + r);
            t += "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"" +
                 v + "\"><text:p>" + v +
                 "</text:p></table:table-cell><table:table-cell/>"
                 "<table:table-cell office:value-type=\"string\"><text:p>r <text:span>" +
                 v + "</text:span></text:p>" +
                 (r % 101 == 0 ? "<office:annotation><text:p>note</text:p></office:annotation>"
                               : "") +
                 "</table:table-cell></table:table-row>\n";
        }
        if (table == 1) t += "</table:table-row-group>";
        t += "</table:table>";
    }
    return t;
}

TEST(GeneratedOds, PiecesAndStreamingAgree) {
    auto fast = ods_package(large_tables());
    auto slow = fast; // a declaration below the root sends the part through expat
    auto& content = slow[1].second;
    content.replace(content.find("<office:body>"), 13, "<office:body xmlns:x=\"urn:example\">");
    ASSERT_GT(fast[1].second.size(), 8u << 20);
    workbook_result a = read_workbook(write_zip("fast.ods", fast).string());
    workbook_result b = read_workbook(write_zip("slow.ods", slow).string());
    ASSERT_TRUE(a.book) << a.error;
    ASSERT_TRUE(b.book) << b.error;
    ASSERT_EQ(a.book->sheets.size(), 3u);
    ASSERT_EQ(b.book->sheets.size(), 3u);
    for (int s = 0; s < 3; ++s) {
        const workbook_sheet& x = a.book->sheets[s];
        const workbook_sheet& y = b.book->sheets[s];
        EXPECT_EQ(x.name, "T" + std::to_string(s));
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.used_rows, 30'000 + 2 * 31);
        EXPECT_EQ(x.used_rows, y.used_rows);
        EXPECT_EQ(x.used_cols, 3);
        ASSERT_EQ(x.cells.size(), y.cells.size());
        for (int r = 1; r <= x.used_rows; ++r)
            for (int c = 1; c <= 3; ++c) {
                workbook_cell p = a.book->cell(s, r, c), q = b.book->cell(s, r, c);
                ASSERT_EQ(p.kind, q.kind) << s << " " << r << " " << c;
                ASSERT_EQ(p.number, q.number);
                ASSERT_EQ(p.shown, q.shown);
            }
    }
    EXPECT_EQ(a.book->cell(1, 1, 3).shown, "r 100000");
    EXPECT_EQ(a.book->cell(2, 6, 1).kind, cell_kind::empty); // the repeated empty rows
    EXPECT_EQ(a.book->cell(2, 9, 1).number, 200'006);
}

} // namespace
