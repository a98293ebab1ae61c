#include "png_writer.h"

#include "base/atomic_file.h"
#include "base/memory_error.h"

#include <zlib.h>

#include <new>
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
    try {
        const std::string bytes = encode_png(image);
        // Written aside, without a name where the file system allows, and
        // renamed over the path once on disk: a failed or killed save never
        // leaves a broken picture, nor touches a file of the side file's name.
        atomic_file file(path);
        if (file.write(bytes.data(), bytes.size()) && file.commit()) return {};
        return {false, file.error()};
    } catch (const std::bad_alloc&) {
        const std::uint64_t needed = static_cast<std::uint64_t>(image.pixels.size()) * 3;
        return {false, "Cannot save \"" + path +
                           "\": " + not_enough_memory("encode the picture", needed) + "."};
    } catch (const std::exception& e) {
        return {false, "Cannot save \"" + path + "\": " + e.what()};
    }
}

} // namespace tessaline
