#include "cli_output.h"

#include <charconv>
#include <iostream>

namespace tessaline {

void print_error(std::string_view message) {
    std::cerr << "tessaline-cli: " << message << '\n';
}

int usage_error(std::string_view command, std::string_view message) {
    print_error(std::string(command) + ": " + std::string(message));
    std::cerr << "Run \"tessaline-cli " << command << " --help\" for its arguments.\n";
    return exit_usage;
}

template <typename T> static std::string shortest(T value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string exact_text(double value) {
    return shortest(value);
}
std::string exact_text(float value) {
    return shortest(value);
}

std::string field_text(std::string_view text) {
    if (!text.empty() && text.find_first_of(" \t\"\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace tessaline
