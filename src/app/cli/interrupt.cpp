#include "interrupt.h"

#include <csignal>
#include <ctime>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace tessaline {

namespace {

// A signal reaches the whole process, so its stop source is the process's
// one; never destroyed, as the watcher may still use it while main returns.
std::stop_source& interrupt_source() {
    static auto* source = new std::stop_source;
    return *source;
}

sigset_t watched_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void wait_for_signals(sigset_t set) {
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    interrupt_source().request_stop();
    // A second signal, or a command still running after a second, ends the
    // process as the signal would have.
    const timespec grace{1, 0};
    siginfo_t info{};
    if (sigtimedwait(&set, &info, &grace) > 0) signal = info.si_signo;
    _exit(128 + signal);
}

} // namespace

void watch_interrupts() {
    const sigset_t set = watched_signals();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
    try {
        std::thread(wait_for_signals, set).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the signals keep their plain effect.
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    }
}

std::stop_token interrupt_token() {
    return interrupt_source().get_token();
}

} // namespace tessaline
