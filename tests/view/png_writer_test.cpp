// PNG files read back by libpng, a decoder of its own.
#include "headless_view.h"
#include "support/temp_folder.h"
#include "view/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessaline;
using namespace tessaline::test;
using namespace tessaline::testing;

namespace {

rgb_image decode(const std::string& bytes) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return {};
    png.format = PNG_FORMAT_RGB;
    rgb_image image;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) return {};
    return image;
}

std::string chunk_types(const std::string& bytes) {
    std::string types;
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        const std::size_t length = (std::size_t{b[0]} << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
        types += bytes.substr(at + 4, 4) + " ";
        at += 12 + length;
    }
    return types;
}

} // namespace

TEST(PngWriter, DecodesToTheSamePixels) {
    rgb_image image;
    image.width = 7; // odd: rows are not padded
    image.height = 3;
    for (int i = 0; i < image.width * image.height * 3; ++i)
        image.pixels.push_back(static_cast<std::uint8_t>(i * 37));
    const std::string bytes = encode_png(image);
    EXPECT_EQ(chunk_types(bytes), "IHDR IDAT IEND ");
    // Bit depth 8, truecolour, no interlace.
    EXPECT_EQ(bytes.substr(24, 5), std::string("\x08\x02\x00\x00\x00", 5));
    const rgb_image back = decode(bytes);
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_THROW(encode_png(rgb_image{}), std::invalid_argument);
}

TEST(PngWriter, SnapshotHasTheViewSizeAndTopRowFirst) {
    headless_view view({320, 240});
    view.screen.alpha = 0;
    view.screen.betta = 270; // Z up
    view.render();
    const auto dir = std::filesystem::path(::testing::TempDir());
    const std::string path = (dir / "tessaline_snapshot.png").string();
    ASSERT_TRUE(save_png(path, view.screen.grab_frame()).ok);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const rgb_image back = decode(bytes);
    ASSERT_EQ(back.width, 320);
    ASSERT_EQ(back.height, 240);
    EXPECT_EQ(back.pixels, view.frame.pixels);
    // The blue Z axis runs up from the centre: its upper end lies in the top rows.
    const pixel top = view.project(0, 0, 1);
    EXPECT_LT(top.y, 120);
    const std::uint8_t* c = back.row(top.y) + top.x * 3;
    EXPECT_GT(c[2], 200);
    EXPECT_LT(c[0], c[2] - 60);
    std::filesystem::remove(path);
}

TEST(PngWriter, SideFilesNeitherFollowLinksNorReplaceTheUsersFiles) {
    temp_folder folder;
    const std::string path = (folder / "shot.png").string();
    write_text(folder / "victim.txt", "not to be touched");
    write_text(folder / "shot.png.part", "the user's own file");
    // The name this process would give its side file first.
    const std::string side = ".shot.png.tmp-" + std::to_string(::getpid()) + "-0";
    std::filesystem::create_symlink(folder / "victim.txt", folder / side);
    const rgb_image image{2, 1, {255, 0, 0, 0, 0, 255}};
    ASSERT_TRUE(save_png(path, image).ok);
    EXPECT_EQ(decode(file_text(path)).pixels, image.pixels);
    EXPECT_EQ(file_text(folder / "victim.txt"), "not to be touched");
    EXPECT_EQ(file_text(folder / "shot.png.part"), "the user's own file");
    EXPECT_EQ(folder_entries(folder.path()),
              (std::vector<std::string>{side, "shot.png", "shot.png.part", "victim.txt"}));

    // A read-only picture stays, and the error names it, not a side file.
    ::chmod(path.c_str(), 0444);
    const png_save_result refused = save_png(path, rgb_image{1, 1, {1, 2, 3}});
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "Cannot save \"" + path + "\": Permission denied.");
    EXPECT_EQ(decode(file_text(path)).pixels, image.pixels);
}

TEST(PngWriter, UnwritablePathLeavesAReadableError) {
    rgb_image image{1, 1, {1, 2, 3}};
    const png_save_result result = save_png("/nonexistent-dir/x.png", image);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("/nonexistent-dir/x.png"), std::string::npos);
}
