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
        read_budget budget{read_limits{}};
        biff_extra_cells cells;
        parse_biff_stream(rest, budget, cells);
        return 0;
    }
    std::string path = fuzz::scratch_path(".xls");
    fuzz::write_bytes(path, rest);
    xls reader;
    fuzz::read_corner_cells(reader, path);
    return 0;
}
