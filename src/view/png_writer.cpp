#include "png_writer.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace tessaline {

namespace {

void put_u32(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void put_chunk(std::string& out, const char type[4], const std::string& data) {
    put_u32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t type_at = out.size();
    out.append(type, 4);
    out += data;
    // The CRC covers the type and the data, not the length.
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(out.data() + type_at), 4 + data.size());
    put_u32(out, static_cast<std::uint32_t>(crc));
}

std::string deflated_rows(const rgb_image& image) {
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    std::string raw;
    raw.reserve((stride + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw += '\0'; // filter type None
        raw.append(reinterpret_cast<const char*>(image.row(y)), stride);
    }
    uLongf size = compressBound(raw.size());
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(raw.data()), raw.size(),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("PNG: compression failed");
    packed.resize(size);
    return packed;
}

struct file_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

std::string encode_png(const rgb_image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        throw std::invalid_argument("PNG: the picture is empty or its pixels do not fit its size");
    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    put_u32(header, static_cast<std::uint32_t>(image.width));
    put_u32(header, static_cast<std::uint32_t>(image.height));
    header += '\x08'; // bit depth
    header += '\x02'; // truecolour
    header += '\0';   // deflate
    header += '\0';   // adaptive filtering
    header += '\0';   // not interlaced
    put_chunk(out, "IHDR", header);
    put_chunk(out, "IDAT", deflated_rows(image));
    put_chunk(out, "IEND", {});
    return out;
}

png_save_result save_png(const std::string& path, const rgb_image& image) {
    std::string bytes;
    try {
        bytes = encode_png(image);
    } catch (const std::exception& e) {
        return {false, e.what()};
    }
    const std::string aside = path + ".part";
    {
        std::unique_ptr<std::FILE, file_closer> file(std::fopen(aside.c_str(), "wb"));
        if (!file) return {false, "Cannot create " + aside + ": " + std::strerror(errno)};
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
        const bool flushed = std::fflush(file.get()) == 0;
        if (!written || !flushed) {
            const std::string reason = std::strerror(errno);
            file.reset();
            std::remove(aside.c_str());
            return {false, "Cannot write " + aside + ": " + reason};
        }
    }
    if (std::rename(aside.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(aside.c_str());
        return {false, "Cannot replace " + path + ": " + reason};
    }
    return {};
}

} // namespace tessaline
