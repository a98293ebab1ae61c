#include "import/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <new>

namespace tessaline {

void zip_archive::closer::operator()(zip* archive) const {
    zip_discard(archive);
}
void zip_part::closer::operator()(zip_file* file) const {
    zip_fclose(file);
}

std::optional<zip_archive> zip_archive::open(const std::string& path, const read_limits& limits,
                                             std::string& error) {
    int code = 0;
    zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive) {
        if (code == ZIP_ER_MEMORY) throw std::bad_alloc();
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        error = zip_error_strerror(&e);
        zip_error_fini(&e);
        return std::nullopt;
    }
    zip_archive result;
    result.archive_.reset(archive);
    result.limits_ = limits;
    return result;
}

bool zip_archive::contains(std::string_view name) const {
    return zip_name_locate(archive_.get(), std::string(name).c_str(), 0) >= 0;
}

std::optional<zip_part> zip_archive::stream(std::string_view name, std::string& error) const {
    std::string key(name);
    zip_int64_t index = zip_name_locate(archive_.get(), key.c_str(), 0);
    zip_stat_t stat;
    if (index < 0 ||
        zip_stat_index(archive_.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        error = "part " + key + " is missing";
        return std::nullopt;
    }
    zip_file* file = zip_fopen_index(archive_.get(), static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        error = "part " + key + " cannot be read: " + zip_strerror(archive_.get());
        return std::nullopt;
    }
    zip_part part;
    part.file_.reset(file);
    part.name_ = key;
    part.compressed_ = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    part.stated_ = (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
    part.limits_ = limits_;
    return part;
}

std::optional<std::string> zip_archive::read(std::string_view name, std::uint64_t max_bytes,
                                             std::string& error) const {
    auto part = stream(name, error);
    if (!part) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        std::int64_t n = part->read(buffer, sizeof buffer);
        if (n < 0) {
            error = part->error();
            return std::nullopt;
        }
        if (n == 0) break;
        if (text.size() + static_cast<std::uint64_t>(n) > max_bytes) {
            error = "part " + std::string(name) + " is too large";
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

std::int64_t zip_part::read(char* buffer, std::uint64_t size) {
    zip_int64_t n = zip_fread(file_.get(), buffer, size);
    if (n < 0) {
        error_ = "part " + name_ + " is damaged: " + zip_file_strerror(file_.get());
        return -1;
    }
    inflated_ += static_cast<std::uint64_t>(n);
    if (inflated_ > limits_.max_part_bytes) {
        error_ = "part " + name_ + " inflates beyond the size limit";
        return -1;
    }
    if (inflated_ > limits_.ratio_grace_bytes &&
        inflated_ / std::max<std::uint64_t>(compressed_, 1) > limits_.max_ratio) {
        error_ = "part " + name_ + " inflates far beyond any real sheet (a zip bomb)";
        return -1;
    }
    return n;
}

} // namespace tessaline
