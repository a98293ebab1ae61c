#include "import/read_budget.h"

namespace tessaline {

namespace {

std::string megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

} // namespace

bool read_budget::refuse(std::string reason) {
    if (refusal_.empty()) refusal_ = std::move(reason);
    return false;
}

bool read_budget::add_cell() {
    if (stopped()) return refuse("stopped");
    if (++cells_ > limits.max_cells)
        return refuse("more cells than the limit of " + std::to_string(limits.max_cells));
    return add_bytes(sizeof(stored_cell));
}

bool read_budget::add_text(text_pool& pool, std::string_view text, std::uint32_t& index) {
    if (pool.size() >= text_pool::none) return refuse("more texts than a workbook can index");
    if (!add_text_bytes(text.size())) return false;
    index = pool.add(text);
    return true;
}

bool read_budget::add_text_bytes(std::uint64_t size) {
    if (stopped()) return refuse("stopped");
    // An empty text still costs its offset: millions of them are no cheaper than characters.
    const std::uint64_t cost = size + text_pool::bytes_per_entry;
    text_bytes_ += cost;
    if (text_bytes_ > limits.max_text_bytes)
        return refuse("more text than the limit of " + megabytes(limits.max_text_bytes));
    return add_bytes(cost);
}

bool read_budget::add_bytes(std::uint64_t bytes) {
    bytes_ += bytes;
    if (bytes_ > limits.max_memory_bytes)
        return refuse("it needs more memory than the limit of " +
                      megabytes(limits.max_memory_bytes) + " for a workbook");
    return true;
}

void read_budget::restart() {
    cells_ = text_bytes_ = bytes_ = 0;
    refusal_.clear();
}

} // namespace tessaline
