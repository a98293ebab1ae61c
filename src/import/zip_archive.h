// A zip package opened read-only with libzip, handing out its parts whole or
// as a stream, inflated within the size and ratio limits of read_limits.
#pragma once

#include "import/read_limits.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct zip;
struct zip_file;

namespace tessaline {

class zip_part;

class zip_archive {
  public:
    // Empty with `error` set when the file is not a readable zip.
    static std::optional<zip_archive> open(const std::string& path, const read_limits& limits,
                                           std::string& error);

    bool contains(std::string_view name) const;
    // The whole part, or empty with `error` set when it is missing, damaged or
    // larger than `max_bytes`.
    std::optional<std::string> read(std::string_view name, std::uint64_t max_bytes,
                                    std::string& error) const;
    // A stream over the part, or empty with `error` set.
    std::optional<zip_part> stream(std::string_view name, std::string& error) const;

  private:
    struct closer {
        void operator()(zip* archive) const;
    };
    std::unique_ptr<zip, closer> archive_;
    read_limits limits_;
};

// One part being inflated; each read counts the bytes against the limits.
class zip_part {
  public:
    // Bytes read into `buffer` (0 at the end), or -1 with error() set.
    std::int64_t read(char* buffer, std::uint64_t size);
    const std::string& error() const { return error_; }
    // The inflated size the archive states; a hint only, never trusted.
    std::uint64_t stated_size() const { return stated_; }

  private:
    friend class zip_archive;
    struct closer {
        void operator()(zip_file* file) const;
    };
    std::unique_ptr<zip_file, closer> file_;
    std::string name_;
    std::uint64_t compressed_ = 0;
    std::uint64_t stated_ = 0;
    std::uint64_t inflated_ = 0;
    read_limits limits_;
    std::string error_;
};

} // namespace tessaline
