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
    reader.limits.max_cells = 200'000;
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
