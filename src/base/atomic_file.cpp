#include "atomic_file.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaline {

namespace fs = std::filesystem;

static constexpr std::size_t buffer_capacity = std::size_t{1} << 20;
static constexpr int name_attempts = 100;

static fs::path folder_of(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

static std::string side_stem(const fs::path& target) {
    return "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-";
}

// The process id in a side file's name, or 0 when the name is not one.
static pid_t side_file_owner(const std::string& name) {
    if (name.size() < 2 || name[0] != '.') return 0;
    const std::size_t at = name.rfind(".tmp-");
    if (at == std::string::npos || at == 0) return 0;
    const char* p = name.data() + at + 5;
    const char* end = name.data() + name.size();
    pid_t pid = 0;
    auto [after_pid, pid_error] = std::from_chars(p, end, pid);
    if (pid_error != std::errc() || pid <= 0 || after_pid == end || *after_pid != '-') return 0;
    unsigned attempt = 0;
    auto [after_attempt, attempt_error] = std::from_chars(after_pid + 1, end, attempt);
    if (attempt_error != std::errc() || after_attempt != end) return 0;
    return pid;
}

void remove_stale_side_files(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t pid = side_file_owner(name);
        if (pid == 0 || pid == ::getpid()) continue;
        // A process of that number that is alive may be saving right now.
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        ::unlink(it->path().c_str());
    }
}

atomic_file::atomic_file(const fs::path& target) : target_(target) {
    // Replacing a symbolic link would cut it; replace what it points to.
    std::error_code ec;
    if (fs::is_symlink(target_, ec)) {
        fs::path resolved = fs::weakly_canonical(target_, ec);
        if (!ec) target_ = resolved;
    }
    struct stat old {};
    const bool replacing = ::stat(target_.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        fail(EISDIR);
        return;
    }
    // The folder being writable would let a rename replace a file the user
    // made read-only; refuse it as writing it in place would be refused
    // (a file nobody may write is refused even to root).
    if (replacing && ((old.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)) {
        fail(EACCES);
        return;
    }
    buffer_.reserve(buffer_capacity);
    const fs::path folder = folder_of(target_);
    remove_stale_side_files(folder);
    if (!open_unnamed(folder) && error_.empty()) open_named(folder);
    if (fd_ < 0) return;
    // The new file keeps the permissions the user gave the old one.
    if (replacing) ::fchmod(fd_, old.st_mode & 07777);
}

atomic_file::~atomic_file() {
    if (!committed_) discard();
}

// A file without a name vanishes with the process, however it ends; it is
// linked in only when complete. Needs /proc to link it by its descriptor.
bool atomic_file::open_unnamed(const fs::path& folder) {
    if (::access("/proc/self/fd", X_OK) != 0) return false;
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) return true;
    // These say the file system or kernel has no unnamed files; others are
    // the folder's own fault and would fail a named file just the same.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) fail(errno);
    return false;
}

bool atomic_file::open_named(const fs::path& folder) {
    const std::string stem = side_stem(target_);
    int last_errno = 0;
    for (int attempt = 0; attempt < name_attempts && fd_ < 0; ++attempt) {
        temporary_ = folder / (stem + std::to_string(attempt));
        fd_ =
            ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        last_errno = errno;
        if (fd_ < 0 && last_errno != EEXIST) break;
    }
    if (fd_ >= 0) return true;
    temporary_.clear();
    fail(last_errno);
    return false;
}

// Gives the complete unnamed file a side name, from which it is renamed over
// the target (a link cannot replace a file).
bool atomic_file::link_unnamed() {
    const std::string descriptor = "/proc/self/fd/" + std::to_string(fd_);
    const fs::path folder = folder_of(target_);
    const std::string stem = side_stem(target_);
    for (int attempt = 0; attempt < name_attempts; ++attempt) {
        const fs::path name = folder / (stem + std::to_string(attempt));
        if (::linkat(AT_FDCWD, descriptor.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST) break;
    }
    fail(errno);
    return false;
}

void atomic_file::fail(int error_number) {
    if (!error_.empty()) return;
    error_ = "Cannot save \"" + target_.string() + "\": " + std::strerror(error_number);
    if (error_.back() != '.') error_ += '.';
}

void atomic_file::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool atomic_file::write_all(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool atomic_file::flush() {
    if (!write_all(buffer_.data(), buffer_.size())) return false;
    buffer_.clear();
    return true;
}

bool atomic_file::write(const char* data, std::size_t size) {
    if (!error_.empty() || fd_ < 0 || committed_) return false;
    if (buffer_.size() + size > buffer_capacity && !flush()) return false;
    if (size >= buffer_capacity) return write_all(data, size);
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
}

bool atomic_file::commit() {
    if (!error_.empty() || fd_ < 0 || committed_) return false;
    if (!flush()) {
        discard();
        return false;
    }
    if (::fsync(fd_) != 0) {
        fail(errno);
        discard();
        return false;
    }
    if (temporary_.empty() && !link_unnamed()) {
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        fail(errno);
        discard();
        return false;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(errno);
        discard();
        return false;
    }
    temporary_.clear();
    committed_ = true;
    // Make the rename itself survive a power cut; a failure here loses nothing.
    const int dir = ::open(folder_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace tessaline
