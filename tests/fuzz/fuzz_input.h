// Shared by the fuzz targets: the readers take a path, so each input is
// written to a file in memory-backed storage, and zip packages are built
// from the input's parts.
#pragma once

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tessaline::fuzz {

inline std::string scratch_path(const char* extension) {
    return "/dev/shm/tessaline-fuzz-" + std::to_string(getpid()) + extension;
}

inline void write_bytes(const std::string& path, std::string_view bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// Splits the input at NUL bytes into at most `count` parts.
inline std::vector<std::string_view> split_parts(std::string_view data, std::size_t count) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        std::size_t at = data.find('\0');
        if (at == std::string_view::npos) break;
        parts.push_back(data.substr(0, at));
        data.remove_prefix(at + 1);
    }
    parts.push_back(data);
    parts.resize(count);
    return parts;
}

// Writes a zip of stored entries (no deflate: the fuzzer's bytes reach the XML as they are).
inline void write_zip(const std::string& path,
                      const std::vector<std::pair<std::string, std::string_view>>& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) return;
    for (const auto& [name, content] : entries) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        if (index >= 0)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_close(archive);
}

} // namespace tessaline::fuzz
