// Office Open XML reading. The first byte chooses what the rest is: 0, the
// whole file; otherwise NUL-separated parts of a package (worksheet, shared
// strings, styles, workbook, theme).
#include "fuzz_input.h"
#include "import/clc.h"
#include "import/xls.h"

using namespace tessaline;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string path = fuzz::scratch_path(".xlsx");
    if (data[0] == 0) {
        fuzz::write_bytes(path, rest);
    } else {
        auto p = fuzz::split_parts(rest, 5);
        const std::string_view rel_head =
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
        static const std::string rels =
            std::string(rel_head) +
            R"(<Relationship Id="rId1" Type="http://x/worksheet" Target="worksheets/sheet1.xml"/>)"
            R"(<Relationship Id="rId2" Type="http://x/sharedStrings" Target="sharedStrings.xml"/>)"
            R"(<Relationship Id="rId3" Type="http://x/styles" Target="/xl/styles.xml"/>)"
            R"(<Relationship Id="rId4" Type="http://x/theme" Target="../xl/theme/theme1.xml"/></Relationships>)";
        static const std::string book =
            R"(<workbook xmlns:r="r"><sheets><sheet name="S" r:id="rId1"/></sheets></workbook>)";
        fuzz::write_zip(path, {{"xl/worksheets/sheet1.xml", p[0]},
                               {"xl/sharedStrings.xml", p[1]},
                               {"xl/styles.xml", p[2]},
                               {"xl/workbook.xml", p[3].empty() ? std::string_view(book) : p[3]},
                               {"xl/theme/theme1.xml", p[4]},
                               {"xl/_rels/workbook.xml.rels", rels}});
    }
    read_limits limits;
    limits.max_cells = 200'000; // keeps each run quick; the limit itself is what is tested
    xls reader;
    reader.limits = limits;
    std::int32_t book = reader.open_book(path);
    if (book >= 0)
        for (std::int32_t s = 0; s < static_cast<std::int32_t>(reader.files()[book].sheets.size());
             ++s)
            for (std::int32_t r = 0; r <= 3; ++r)
                for (std::int32_t c = 0; c <= 3; ++c) {
                    reader.cell_text(book, s, r, c);
                    reader.cached_cell(book, s, r, c);
                }
    return 0;
}
