// What one workbook read may still take. Every reader counts here the cells,
// texts and other memory it keeps, so that the limits hold over the whole
// workbook and the reason for stopping reads the same from every format.
#pragma once

#include "import/read_limits.h"
#include "import/workbook_model.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

namespace tessaline {

class read_budget {
  public:
    explicit read_budget(const read_limits& limits, std::stop_token stop = {})
        : limits(limits), stop(std::move(stop)) {}

    const read_limits limits;
    // Asked at every cell and text, so a stopped read ends within milliseconds.
    const std::stop_token stop;

    // Each is false once a limit is passed, with the reason in refusal().
    bool add_cell();
    // Adds the text to the pool as entry `index`, counting its characters and offset.
    bool add_text(text_pool& pool, std::string_view text, std::uint32_t& index);
    // Counts a text of this size kept elsewhere.
    bool add_text_bytes(std::uint64_t size);
    // Memory kept besides cells and texts, such as a sheet's own record.
    bool add_bytes(std::uint64_t bytes);

    // Forgets what was counted, for a reader that starts over.
    void restart();

    const std::string& refusal() const { return refusal_; }
    bool stopped() const { return stop.stop_requested(); }
    std::uint64_t cells() const { return cells_; }
    std::uint64_t bytes() const { return bytes_; }

  private:
    bool refuse(std::string reason);

    std::uint64_t cells_ = 0;
    std::uint64_t text_bytes_ = 0;
    std::uint64_t bytes_ = 0;
    std::string refusal_;
};

// The reason for a read that ran out of memory, whatever the budget allowed.
inline constexpr std::string_view out_of_memory = "not enough memory to read the workbook";

} // namespace tessaline
