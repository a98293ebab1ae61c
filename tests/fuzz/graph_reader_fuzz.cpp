// libFuzzer target for the graph file reader. Besides not crashing, whatever
// the reader accepts must be writable, and the written file must read back
// whole and write the same bytes again.
#include "files/graph_apply.h"
#include "files/graph_reader.h"
#include "files/graph_writer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tessaline;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const graph_read read =
        read_graph_text(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.ok()) return 0;
    if (read.graph_loaded && !graph_write_problem(read.document).empty()) std::abort();

    const std::string text = graph_file_text(read.document, "fuzz", '.');
    const graph_read again = read_graph_text(text);
    if (!again.graph_loaded || again.view_values_read != view_value_count) std::abort();
    if (graph_file_text(again.document, "fuzz", '.') != text) std::abort();

    Datafield field;
    apply_to_datafield(field, read);
    return 0;
}
