#include "update_address.h"

#include <array>
#include <cstdlib>

namespace tessaline {

namespace {

// Addresses are stored xor-ed with a rolling key so they do not stand in the
// binary as plain text.
template <std::size_t N> QString unscramble(const std::array<unsigned char, N>& bytes) {
    QString text;
    unsigned char key = 0x5A;
    for (unsigned char b : bytes) {
        text += QChar(static_cast<char>(b ^ key));
        key = static_cast<unsigned char>(key * 5 + 1);
    }
    return text;
}

template <std::size_t N>
constexpr std::array<unsigned char, N> scramble(const char (&text)[N + 1]) {
    std::array<unsigned char, N> bytes{};
    unsigned char key = 0x5A;
    for (std::size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<unsigned char>(text[i] ^ key);
        key = static_cast<unsigned char>(key * 5 + 1);
    }
    return bytes;
}

// Under a reserved example domain until the project has a server of its own.
constexpr auto scrambled_site = scramble<20>("http://tessa.example");
constexpr auto scrambled_host = scramble<20>("update.tessa.example");

} // namespace

QString site_address() {
    return unscramble(scrambled_site);
}

std::optional<QString> update_host() {
    if (const char* value = std::getenv("TESSALINE_UPDATE_HOST")) {
        if (*value == '\0') return std::nullopt;
        return QString::fromLocal8Bit(value);
    }
    return unscramble(scrambled_host);
}

} // namespace tessaline
