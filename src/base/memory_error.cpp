#include "memory_error.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace tessaline {

std::string not_enough_memory(std::string_view task, std::uint64_t bytes_needed) {
    std::string text = "not enough memory to " + std::string(task);
    if (bytes_needed > 0) {
        constexpr std::uint64_t mb = 1'000'000;
        text += ": it needs about " + std::to_string((bytes_needed + mb - 1) / mb) + " MB";
    }
    return text;
}

std::string error_text(const std::exception& error) {
    // A container asked for more than it can ever hold throws length_error:
    // to the user that is the same shortage.
    if (dynamic_cast<const std::bad_alloc*>(&error) ||
        dynamic_cast<const std::length_error*>(&error))
        return "not enough memory for this task";
    const std::string what = error.what();
    return what.empty() ? "an unexpected error stopped this task" : what;
}

std::string current_error_text() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error_text(error);
    } catch (...) {
        return "an unexpected error stopped this task";
    }
}

std::uint64_t memory_available() {
    std::uint64_t available = 0, swap_free = 0;
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:") available = kilobytes * 1024;
        if (key == "SwapFree:") swap_free = kilobytes * 1024;
    }
    std::uint64_t free = available == 0 ? 0 : available + swap_free;
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        std::ifstream statm("/proc/self/statm");
        std::uint64_t pages = 0;
        if (statm >> pages) {
            const std::uint64_t used = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
            const std::uint64_t room = limit.rlim_cur > used ? limit.rlim_cur - used : 1;
            free = free == 0 ? room : std::min(free, room);
        }
    }
    return free;
}

} // namespace tessaline
