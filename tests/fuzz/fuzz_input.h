// Shared by the fuzz targets: the readers take a path, so each input is
// written to a file in memory-backed storage, and zip packages are built
// from the input's parts.
#pragma once

#include "import/workbook_reader.h"

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

// Opens the file and reads the top-left cells of every sheet, as text and
// through the grid's row cache. The cell cap keeps each run quick; the limit
// itself is what is tested.
inline void read_corner_cells(workbook_reader& reader, const std::string& path) {
    reader.limits.max_cells = 200'000;
    const std::int32_t book = reader.open_book(path);
    if (book < 0) return;
    const auto sheet_count = static_cast<std::int32_t>(reader.files()[book].sheets.size());
    for (std::int32_t s = 0; s < sheet_count; ++s)
        for (std::int32_t r = 0; r <= 3; ++r)
            for (std::int32_t c = 0; c <= 3; ++c) {
                reader.cell_text(book, s, r, c);
                reader.cached_cell(book, s, r, c);
            }
}

} // namespace tessaline::fuzz
