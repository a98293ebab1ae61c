// Texts for failures of resources rather than of the input: what a user reads
// in place of an exception's type name.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace tessaline {

// "not enough memory to TASK: it needs about N MB"; without the estimate
// when bytes_needed is 0. No full stop: callers add one as they report it.
std::string not_enough_memory(std::string_view task, std::uint64_t bytes_needed = 0);

// The message of an exception as a user may read it: allocation failures
// say memory ran out (never "std::bad_alloc"), others give their own text.
std::string error_text(const std::exception& error);

// The same for whatever is being handled in a catch (...) block.
std::string current_error_text();

// About how many more bytes this process could take now: what the system
// has free or can reclaim (with free swap), within the process's address
// space limit. 0 when it cannot be told.
std::uint64_t memory_available();

} // namespace tessaline
