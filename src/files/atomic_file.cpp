#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaline {

namespace fs = std::filesystem;

static constexpr std::size_t buffer_capacity = std::size_t{1} << 20;

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
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    const std::string stem =
        "." + target_.filename().string() + ".tmp-" + std::to_string(::getpid());
    int last_errno = 0;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = folder / (stem + "-" + std::to_string(attempt));
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        last_errno = errno;
        if (fd_ < 0 && last_errno != EEXIST) break;
    }
    if (fd_ < 0) {
        temporary_.clear();
        fail(last_errno);
        return;
    }
    // The new file keeps the permissions the user gave the old one.
    if (replacing) ::fchmod(fd_, old.st_mode & 07777);
    buffer_.reserve(buffer_capacity);
}

atomic_file::~atomic_file() {
    if (!committed_) discard();
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
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace tessaline
