// Damaged and hostile files: each gives a clean "cannot open" with a reason,
// within bounded time and memory, never a crash.
#include "import/workbook.h"
#include "test_files.h"

#include "base/work_stopped.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace tessaline;
using namespace tessaline::test;

namespace {

std::string file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(HostileWorkbook, FilesThatAreNoWorkbook) {
    expect_refused(write_file("notes.xlsx", "X,Y,Z\n1,2,3\n"), "not an Excel or OpenDocument");
    expect_refused(write_file("empty.xls", ""), "not an Excel or OpenDocument");
    expect_refused(temp_path("missing.ods"), "not an Excel or OpenDocument");
    expect_refused(write_zip("other.xlsx", {{"readme.txt", "hello"}}), "neither");
    expect_refused(write_file("fake.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                                              std::string(600, '\x07')),
                   "Excel 97-2003");
    expect_refused(write_zip("nosheets.xlsx", xlsx_package({})), "no worksheets");
}

TEST(HostileWorkbook, ReaderFaultsOnDamagedXlsEndOnlyTheChildProcess) {
    // Found by fuzzing: makes FreeXL 1.0.6 read before a buffer of its own.
    expect_refused(data_path("damaged.xls"), "Excel 97-2003");
    // The parent goes on reading: a good file right after.
    EXPECT_TRUE(read_workbook(data_path("mixed.xls").string()).book);
}

// A read the user stopped leaves by work_stopped from every format (the
// .xls reader's child process is ended), and the next read works.
TEST(HostileWorkbook, StoppedReadsLeaveAndTheNextReadWorks) {
    std::stop_source stop;
    stop.request_stop();
    for (std::string name : {"mixed.xlsx", "mixed.ods", "mixed.xls"}) {
        EXPECT_THROW(read_workbook(data_path(name).string(), {}, stop.get_token()), work_stopped)
            << name;
        EXPECT_TRUE(read_workbook(data_path(name).string()).book) << name;
    }
}

TEST(HostileWorkbook, TruncatedFilesNeverCrash) {
    for (std::string name : {"mixed.xlsx", "mixed.ods", "mixed.xls"}) {
        std::string bytes = file_bytes(data_path(name));
        for (std::size_t cut :
             {std::size_t{9}, bytes.size() / 4, bytes.size() / 2, bytes.size() - 30}) {
            auto path = write_file("cut-" + std::to_string(cut) + "-" + name, bytes.substr(0, cut));
            workbook_result r = read_workbook(path.string());
            if (!r.book) {
                EXPECT_EQ(r.error.rfind("cannot open", 0), 0u);
            }
        }
    }
}

TEST(HostileWorkbook, ZipBombsStopAtTheRatioOrSizeLimit) {
    // 64 MiB of one character deflates about a thousandfold; no real sheet does.
    std::string padding(64u << 20, ' ');
    auto bomb = write_zip("bomb.xlsx", xlsx_package({xlsx_sheet("<row r=\"1\"/>" + padding)}), 9);
    expect_refused(bomb, "zip bomb");

    read_limits small;
    small.max_part_bytes = 1u << 20;
    auto big = write_zip("big.xlsx", xlsx_package({xlsx_sheet(std::string(2u << 20, ' '))}), 0);
    expect_refused(big, "size limit", small);
}

TEST(HostileWorkbook, RepeatCountsCannotExpandBeyondTheCellLimit) {
    std::string tables =
        R"(<table:table table:name="T"><table:table-row table:number-rows-repeated="2000000000">)"
        R"(<table:table-cell table:number-columns-repeated="2000000000" office:value-type="float" office:value="1"/>)"
        R"(</table:table-row></table:table>)";
    read_limits limits;
    limits.max_cells = 100'000;
    expect_refused(write_zip("repeat.ods", ods_package(tables)), "more cells than the limit",
                   limits);

    // The same counts over empty cells cost nothing.
    std::string empty =
        R"(<table:table table:name="T"><table:table-row table:number-rows-repeated="4000000000">)"
        R"(<table:table-cell table:number-columns-repeated="4000000000"/></table:table-row></table:table>)";
    workbook_result r = read_workbook(write_zip("empty-repeat.ods", ods_package(empty)).string());
    ASSERT_TRUE(r.book) << r.error;
    EXPECT_EQ(r.book->sheets[0].used_rows, 1);

    std::string spaces =
        R"(<table:table table:name="T"><table:table-row><table:table-cell>)"
        R"(<text:p><text:s text:c="4000000000"/></text:p></table:table-cell></table:table-row></table:table>)";
    expect_refused(write_zip("spaces.ods", ods_package(spaces)), "too long");
}

TEST(HostileWorkbook, DeepOrMalformedXml) {
    std::string open, close;
    for (int i = 0; i < 100'000; ++i)
        open += "<a>", close += "</a>";
    expect_refused(write_zip("deep.ods", ods_package(open + close)), "nest too deeply");
    expect_refused(write_zip("unclosed.xlsx", xlsx_package({xlsx_sheet(open)})), "not well-formed");
    // Rows are read as small trees, where depth costs no stack.
    workbook_result deep = read_workbook(
        write_zip("deep.xlsx",
                  xlsx_package({xlsx_sheet(R"(<row r="2"><c><v>1</v></c></row>)" + open + close)}))
            .string());
    ASSERT_TRUE(deep.book) << deep.error;
    EXPECT_EQ(deep.book->sheets[0].used_rows, 2);

    std::string laughs =
        R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">)"
        R"(<!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">]>)"
        R"(<worksheet><sheetData><row><c t="inlineStr"><is><t>&lol2;</t></is></c></row></sheetData></worksheet>)";
    expect_refused(write_zip("laughs.xlsx", xlsx_package({laughs})), "DTD");

    expect_refused(
        write_zip("broken.xlsx", xlsx_package({"<worksheet><sheetData><row></sheetData>"})),
        "not well-formed");
    auto entries = ods_package("");
    entries[1].second.resize(entries[1].second.size() / 2);
    expect_refused(write_zip("broken.ods", entries), "not well-formed");
}

TEST(HostileWorkbook, BrokenReferencesInsideAWorkbookAreSkipped) {
    // A shared string past the list, a style past the list, references past the grid.
    std::string data =
        R"(<row r="1"><c r="A1" t="s" s="4000000000"><v>7</v></c><c r="B1" s="99"><v>2</v></c>)"
        R"(<c r="XFE1"><v>3</v></c><c r="A2000000"><v>4</v></c><c r="ZZZZZZZZ1"><v>5</v></c></row>)";
    workbook_result r =
        read_workbook(write_zip("refs.xlsx", xlsx_package({xlsx_sheet(data)})).string());
    ASSERT_TRUE(r.book) << r.error;
    EXPECT_EQ(r.book->sheets[0].used_rows, 1);
    EXPECT_EQ(r.book->sheets[0].used_cols, 2);
    EXPECT_EQ(r.book->cell(0, 1, 1).kind, cell_kind::empty);
    EXPECT_EQ(r.book->cell(0, 1, 2).number, 2);
}

} // namespace
