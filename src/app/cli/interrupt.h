// Ctrl+C and SIGTERM ask the running command to stop: long steps (reading,
// building faces) leave by work_stopped and the command exits 130 with
// nothing written. A command that does not stop within a second is ended
// outright; saves write an unnamed file until they commit, so even then
// nothing is left behind.
#pragma once

#include <stop_token>

namespace tessaline {

// Blocks the signals in this and every later thread and starts the thread
// that waits for them. Call once, first thing in main, before any thread.
void watch_interrupts();

// Stop is requested once a signal came; never before watch_interrupts().
std::stop_token interrupt_token();

} // namespace tessaline
