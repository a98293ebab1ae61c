// Runs a piece of a test in a forked child, so that what it does to itself
// (a memory limit, a kill) cannot touch the test process.
#pragma once

#include "base/address_sanitizer.h"

#include <csignal>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessaline::testing {

// The child's exit status, or minus the signal that ended it.
inline int run_in_child(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return -WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Lets this process take only `headroom` more bytes of address space.
inline void limit_memory_to_current_plus(std::uint64_t headroom) {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    const std::uint64_t used = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const rlimit limit{used + headroom, used + headroom};
    ::setrlimit(RLIMIT_AS, &limit);
}

// A process number that no running process has: a child that has ended.
inline pid_t ended_process() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace tessaline::testing
