// Little-endian records gathered in blocks before they go to a file, so that
// a million points cost a few hundred writes rather than millions.
#pragma once

#include "base/atomic_file.h"

#include <bit>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace tessaline {

static_assert(std::endian::native == std::endian::little,
              "the binary mesh writers copy values as they lie in memory");

class byte_block {
  public:
    explicit byte_block(atomic_file& out) : out_(out) { bytes_.reserve(block_size); }
    ~byte_block() { flush(); }
    byte_block(const byte_block&) = delete;
    byte_block& operator=(const byte_block&) = delete;

    template <typename T>
    requires std::is_arithmetic_v<T>
    void put(T value) {
        char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        bytes_.append(raw, sizeof(T));
        if (bytes_.size() >= block_size) flush();
    }
    void put(std::string_view text) {
        bytes_.append(text);
        if (bytes_.size() >= block_size) flush();
    }
    void flush() {
        out_.write(bytes_.data(), bytes_.size());
        bytes_.clear();
    }

  private:
    static constexpr std::size_t block_size = 1 << 20;
    atomic_file& out_;
    std::string bytes_;
};

} // namespace tessaline
