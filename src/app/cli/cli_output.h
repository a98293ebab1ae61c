// What the commands share in their output: exit statuses, error lines, and
// text forms that a script can take apart and read back exactly.
#pragma once

#include <string>
#include <string_view>

namespace tessaline {

inline constexpr int exit_done = 0;
inline constexpr int exit_failed = 1;
inline constexpr int exit_usage = 2;
// Stopped by Ctrl+C, as a shell reports a command ended by SIGINT.
inline constexpr int exit_stopped = 130;

// "tessaline-cli: MESSAGE" on standard error.
void print_error(std::string_view message);

// Usage error of a command: the message and a hint to --help; exit_usage.
int usage_error(std::string_view command, std::string_view message);

// The shortest decimal text that reads back as the same value, with ".".
std::string exact_text(double value);
std::string exact_text(float value);

// The text as one field of a space-separated line: in double quotes (with \"
// and \\ inside) when it is empty or holds a space, a tab or a quote.
std::string field_text(std::string_view text);

} // namespace tessaline
