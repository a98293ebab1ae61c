// Excel 97-2003 reading. The first byte chooses what the rest is: 0, the
// whole file (FreeXL and the compound-file layer); otherwise a workbook
// stream for the record reader alone.
#include "fuzz_input.h"
#include "import/biff_records.h"
#include "import/xls.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>

using namespace tessaline;

#ifdef TESSALINE_LIBFUZZER
#include <sanitizer/common_interface_defs.h>

namespace {

// FreeXL faults on damaged files inside the reader's child process, where
// the parent survives it. Such a fault is not a finding, so the child gives
// up libFuzzer's crash handling (no crash file, no stop) and its report: a
// symbolised report per damaged input would cost more than the input.
void quiet_child() {
    __sanitizer_set_death_callback(nullptr);
    for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL})
        signal(sig, SIG_DFL);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDERR_FILENO);
}

const bool quiet_child_installed = pthread_atfork(nullptr, nullptr, quiet_child) == 0;

} // namespace
#endif

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
