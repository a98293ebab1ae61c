// OpenDocument reading. The first byte chooses what the rest is: 0, the whole
// file; otherwise the content part and, after a NUL, the styles part.
#include "fuzz_input.h"
#include "import/clc.h"

using namespace tessaline;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string path = fuzz::scratch_path(".ods");
    if (data[0] == 0) {
        fuzz::write_bytes(path, rest);
    } else {
        auto p = fuzz::split_parts(rest, 2);
        fuzz::write_zip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                               {"content.xml", p[0]},
                               {"styles.xml", p[1]}});
    }
    clc reader;
    fuzz::read_corner_cells(reader, path);
    return 0;
}
