// Long work that the user stopped (Cancel, Ctrl+C) leaves by this exception,
// so that each layer unwinds with its resources freed and nothing half made
// is kept; callers tell it apart from a failure and say nothing.
#pragma once

#include <exception>
#include <stop_token>

namespace tessaline {

class work_stopped : public std::exception {
  public:
    const char* what() const noexcept override { return "stopped"; }
};

inline void throw_if_stopped(const std::stop_token& stop) {
    if (stop.stop_requested()) throw work_stopped{};
}

} // namespace tessaline
