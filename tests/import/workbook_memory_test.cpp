// Hostile workbooks aimed at memory: small files whose records, strings or
// dimensions would make a reader keep far more than the file holds. Each is
// read within the limits or refused with the limit it passed; cases that
// need a real shortage read in a child process with a bounded address space.
#include "import/workbook.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/address_sanitizer.h"

#include <cstring>
#include <fstream>
#include <functional>

using namespace tessaline;
using namespace tessaline::test;

namespace {

// Runs `check` in a child process whose address space may grow by `allowance`
// beyond what it has; the answer is what went wrong there, empty when nothing.
std::string with_memory_limit(std::uint64_t allowance, const std::function<std::string()>& check) {
    int ends[2];
    if (pipe(ends) != 0) return "no pipe";
    pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        std::uint64_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + allowance);
        setrlimit(RLIMIT_AS, &limit);
        std::string answer = check();
        if (write(ends[1], answer.data(), answer.size()) < 0) _exit(2);
        _exit(0);
    }
    close(ends[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child process ended abnormally (" + std::to_string(status) + ") " + answer;
    return answer;
}

#define SKIP_WITHOUT_ADDRESS_SPACE_LIMITS()                                                        \
    if (tessaline::address_sanitizer) GTEST_SKIP() << "AddressSanitizer ignores RLIMIT_AS"

struct biff_sheet {
    int sheet_records = 1; // all pointing at the one worksheet substream
    int formulas = 0;      // numeric results 0, 1, 2, ... in rows of 100
    int text_formulas = 0; // results of text_length characters, after the numbers
    int text_length = 0;
    bool dimensions = false; // whether the substream states the grid the formulas fill
    double last_number = -1; // a plain number cell below the formulas when >= 0
};

// A workbook stream: sheet records named S1, S2, ..., then one worksheet.
std::string workbook_stream(const biff_sheet& s) {
    const int cells = s.formulas + s.text_formulas;
    const unsigned rows = static_cast<unsigned>(cells / 100 + 2);
    std::string sheet = biff_bof(0x0010);
    if (s.dimensions)
        sheet += biff_record(0x0200, le32(0) + le32(rows) + le16(0) + le16(100) + le16(0));
    auto formula = [&](int i, const std::string& result) {
        return biff_record(0x0006, le16(static_cast<unsigned>(i / 100)) +
                                       le16(static_cast<unsigned>(i % 100)) + le16(0) + result +
                                       le16(0) + le32(0) + le16(0));
    };
    for (int i = 0; i < s.formulas; ++i) {
        double value = i;
        sheet += formula(i, std::string(reinterpret_cast<const char*>(&value), 8));
    }
    for (int i = s.formulas; i < cells; ++i) {
        sheet += formula(i, std::string(1, '\0') + std::string(5, '\0') + le16(0xFFFF));
        sheet +=
            biff_record(0x0207, le16(static_cast<unsigned>(s.text_length)) + std::string(1, '\0') +
                                    std::string(static_cast<std::size_t>(s.text_length), 't'));
    }
    if (s.last_number >= 0)
        sheet +=
            biff_record(0x0203, le16(rows - 1) + le16(0) + le16(0) +
                                    std::string(reinterpret_cast<const char*>(&s.last_number), 8));
    sheet += biff_record(0x000A, "");

    std::string sheet_records;
    for (int i = 0; i < s.sheet_records; ++i) {
        std::string name = "S" + std::to_string(i + 1);
        sheet_records += biff_record(0x0085, le32(0) + std::string(2, '\0') +
                                                 static_cast<char>(name.size()) + '\0' + name);
    }
    std::string globals_head = biff_bof(0x0005);
    const std::string globals_end = biff_record(0x000A, "");
    const auto offset =
        static_cast<unsigned>(globals_head.size() + sheet_records.size() + globals_end.size());
    for (std::size_t at = 4; at < sheet_records.size();) {
        sheet_records.replace(at, 4, le32(offset));
        at += 4 + static_cast<unsigned char>(sheet_records[at - 2]);
    }
    return globals_head + sheet_records + globals_end + sheet;
}

std::filesystem::path write_xls(const std::string& name, const biff_sheet& s) {
    return write_compound_file(name, {{"Workbook", workbook_stream(s)}});
}

std::string empty_shared_strings(int count) {
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<si/>";
    return R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" + items +
           "</sst>";
}

TEST(HostileWorkbookMemory, SheetRecordsSharingOneWorksheetReadItOnce) {
    SKIP_WITHOUT_ADDRESS_SPACE_LIMITS();
    // Read once per sheet record, 2000 x 20,000 formula results took gigabytes.
    auto path = write_xls("shared.xls", {.sheet_records = 2000, .formulas = 20'000});
    std::string failed = with_memory_limit(256u << 20, [&]() -> std::string {
        workbook_result r = read_workbook(path.string());
        if (!r.book) return r.error;
        if (r.book->sheets.size() != 2000)
            return "sheets: " + std::to_string(r.book->sheets.size());
        const workbook_sheet& first = r.book->sheets[0];
        if (first.used_rows != 200 || first.used_cols != 100 || first.cells.size() != 20'000)
            return "first sheet " + std::to_string(first.used_rows) + " x " +
                   std::to_string(first.used_cols);
        if (r.book->cell(0, 200, 100).number != 19'999) return "last formula result";
        if (!r.book->sheets[1].cells.empty()) return "the second sheet record has cells";
        return {};
    });
    EXPECT_EQ(failed, "");
}

TEST(HostileWorkbookMemory, XlsFormulaResultsMergeWithCellsAndCountAgainstTheLimits) {
    auto mixed = write_xls("merged.xls", {.formulas = 250, .dimensions = true, .last_number = 7});
    workbook_result r = read_workbook(mixed.string());
    ASSERT_TRUE(r.book) << r.error;
    EXPECT_EQ(r.book->cell(0, 3, 50).number, 249); // a formula result
    EXPECT_EQ(r.book->cell(0, 4, 1).kind, cell_kind::number);
    EXPECT_EQ(r.book->cell(0, 4, 1).number, 7); // FreeXL's own cell

    read_limits few_cells;
    few_cells.max_cells = 200;
    expect_refused(mixed, "more cells than the limit of 200", few_cells);

    auto texts = write_xls("texts.xls", {.text_formulas = 100, .text_length = 1000});
    read_limits little_text;
    little_text.max_text_bytes = 50'000;
    expect_refused(texts, "more text than the limit", little_text);
    workbook_result t = read_workbook(texts.string());
    ASSERT_TRUE(t.book) << t.error;
    EXPECT_EQ(t.book->cell(0, 1, 100).text, std::string(1000, 't'));
}

TEST(HostileWorkbookMemory, XlsDimensionsBeyondTheMemoryCapAreRefusedBeforeReading) {
    // FreeXL would lay out 2000 grids of 2,000 x 100 cells: 6 GB for a 1 MB file.
    auto path =
        write_xls("grids.xls", {.sheet_records = 2000, .formulas = 200'000, .dimensions = true});
    expect_refused(path, "more than the memory limit of 1024 MB allows");
}

TEST(HostileWorkbookMemory, EncryptedPackageSaysItIsEncrypted) {
    auto path = write_compound_file("locked.xlsx", {{"EncryptionInfo", std::string(200, '\x04')},
                                                    {"EncryptedPackage", std::string(9000, 'x')}});
    expect_refused(path, "the workbook is encrypted");
}

TEST(HostileWorkbookMemory, SharedStringsCountAgainstTheCellAndTextLimits) {
    auto path =
        write_zip("strings.xlsx", xlsx_package({xlsx_sheet(R"(<row><c><v>1</v></c></row>)")},
                                               empty_shared_strings(3000)));
    read_limits few_cells;
    few_cells.max_cells = 1000;
    expect_refused(path, "more shared strings than the cell limit of 1000", few_cells);
    // Empty strings are not free: each keeps an offset.
    read_limits little_text;
    little_text.max_text_bytes = 16'000;
    expect_refused(path, "more text than the limit", little_text);
    EXPECT_TRUE(read_workbook(path.string()).book);
}

TEST(HostileWorkbookMemory, OneMemoryCapOverCellsTextsAndRowIndexes) {
    read_limits one_megabyte;
    one_megabyte.max_memory_bytes = 1u << 20;
    const std::string reason = "more memory than the limit of 1 MB";

    std::string rows;
    for (int r = 1; r <= 500; ++r) {
        rows += "<row>";
        for (int c = 0; c < 100; ++c)
            rows += "<c><v>1</v></c>";
        rows += "</row>";
    }
    expect_refused(write_zip("cells.xlsx", xlsx_package({xlsx_sheet(rows)})), reason, one_megabyte);

    std::string repeated =
        R"(<table:table table:name="T"><table:table-row table:number-rows-repeated="500">)"
        R"(<table:table-cell table:number-columns-repeated="100" office:value-type="string">)"
        R"(<text:p>x</text:p></table:table-cell></table:table-row></table:table>)";
    expect_refused(write_zip("cells.ods", ods_package(repeated)), reason, one_megabyte);

    expect_refused(write_xls("cells.xls", {.formulas = 50'000}), reason, one_megabyte);
}

TEST(HostileWorkbookMemory, CellsAtTheFootOfASheetCostNoMoreThanAtItsTop) {
    SKIP_WITHOUT_ADDRESS_SPACE_LIMITS();
    // With an index over every row above the last cell, 400 such sheets took 1.6 GB.
    std::vector<std::string> sheets(
        400, xlsx_sheet(R"(<row r="1048576"><c r="XFD1048576"><v>1</v></c></row>)"));
    auto tall = write_zip("tall.xlsx", xlsx_package(sheets));
    std::string failed = with_memory_limit(128u << 20, [&]() -> std::string {
        workbook_result r = read_workbook(tall.string());
        if (!r.book) return r.error;
        const workbook_sheet& last = r.book->sheets.back();
        if (last.used_rows != 1'048'576 || last.used_cols != 16'384) return "used area";
        if (r.book->cell(399, 1'048'576, 16'384).number != 1) return "the cell";
        if (r.book->cell(399, 1'048'575, 16'384).kind != cell_kind::empty) return "the row above";
        return {};
    });
    EXPECT_EQ(failed, "");
}

TEST(HostileWorkbookMemory, AllocationFailureIsAnErrorNotAnAbort) {
    SKIP_WITHOUT_ADDRESS_SPACE_LIMITS();
    // 4.9 million cells from a few hundred bytes: within the cell limit, beyond the memory at hand.
    std::string tables =
        R"(<table:table table:name="T"><table:table-row table:number-rows-repeated="300">)"
        R"(<table:table-cell table:number-columns-repeated="16384" office:value-type="float" )"
        R"(office:value="1"/></table:table-row></table:table>)";
    auto path = write_zip("short.ods", ods_package(tables));
    read_limits unbounded;
    unbounded.max_memory_bytes = std::uint64_t{1} << 40;
    std::string failed = with_memory_limit(64u << 20, [&]() -> std::string {
        workbook_result r = read_workbook(path.string(), unbounded);
        if (r.book) return "read within 64 MB";
        if (r.error != "cannot open \"short.ods\": not enough memory to read the workbook")
            return r.error;
        // The reader is usable again once memory is back.
        return read_workbook(data_path("mixed.ods").string()).book ? "" : "no second read";
    });
    EXPECT_EQ(failed, "");
}

TEST(HostileWorkbookMemory, DevicesAndPipesAreNoWorkbooks) {
    expect_refused("/dev/zero", "not a regular file");
    auto fifo = temp_path("pipe.xlsx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    expect_refused(fifo, "not a regular file");
}

} // namespace
