// Excel 97-2003 reading. The first byte chooses what the rest is: 0, the
// whole file (FreeXL and the compound-file layer); otherwise a workbook
// stream for the record reader alone.
#include "fuzz_input.h"
#include "import/biff_records.h"
#include "import/xls.h"

using namespace tessaline;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] != 0) {
        parse_biff_stream(rest);
        return 0;
    }
    std::string path = fuzz::scratch_path(".xls");
    fuzz::write_bytes(path, rest);
    xls reader;
    reader.limits.max_cells = 200'000;
    std::int32_t book = reader.open_book(path);
    if (book >= 0)
        for (std::int32_t s = 0; s < static_cast<std::int32_t>(reader.files()[book].sheets.size());
             ++s)
            for (std::int32_t r = 0; r <= 3; ++r)
                for (std::int32_t c = 0; c <= 3; ++c)
                    reader.cell_text(book, s, r, c);
    return 0;
}
