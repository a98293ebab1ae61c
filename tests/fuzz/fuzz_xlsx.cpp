// Office Open XML reading. The first byte chooses what the rest is: 0, the
// whole file; otherwise NUL-separated parts of a package (worksheet, shared
// strings, styles, workbook, theme).
#include "fuzz_input.h"
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
    xls reader;
    fuzz::read_corner_cells(reader, path);
    return 0;
}
