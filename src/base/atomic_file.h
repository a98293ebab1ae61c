// A file written aside, in the target's folder, and renamed over the target
// only once it is complete and on disk: a failed or killed save never costs
// the user the previous file, and leaves nothing behind.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaline {

class atomic_file {
  public:
    // Creates the temporary file; check error() before writing. A read-only
    // target is refused, as editors refuse it. May throw std::bad_alloc
    // (before anything is created).
    explicit atomic_file(const std::filesystem::path& target);
    // Removes the temporary file unless commit() succeeded.
    ~atomic_file();
    atomic_file(const atomic_file&) = delete;
    atomic_file& operator=(const atomic_file&) = delete;

    // Empty while all is well; otherwise a sentence naming the target.
    const std::string& error() const { return error_; }

    // Buffered; after the first failure it does nothing and returns false.
    bool write(const char* data, std::size_t size);

    // Flushes, syncs and renames the temporary file over the target.
    bool commit();

  private:
    bool open_unnamed(const std::filesystem::path& folder);
    bool open_named(const std::filesystem::path& folder);
    bool link_unnamed();
    bool write_all(const char* data, std::size_t size);
    bool flush();
    void fail(int error_number);
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_; // empty while the file has no name
    int fd_ = -1;
    bool committed_ = false;
    std::vector<char> buffer_;
    std::string error_;
};

// The side files that saves of processes no longer running left in `folder`
// (named ".NAME.tmp-PID-N"), removed when they belong to this user.
void remove_stale_side_files(const std::filesystem::path& folder);

} // namespace tessaline
