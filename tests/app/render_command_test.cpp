// tessaline-cli render: the view a graph file keeps, drawn into a PNG.
#include "files/graph_writer.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <sys/wait.h>

using namespace tessaline;
using namespace tessaline::testing;

namespace {

struct picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    int count(std::uint8_t r, std::uint8_t g, std::uint8_t b) const {
        int n = 0;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
            if (rgb[i] == r && rgb[i + 1] == g && rgb[i + 2] == b) ++n;
        return n;
    }
};

picture read_png(const std::filesystem::path& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    picture p;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return p;
    png.format = PNG_FORMAT_RGB;
    p.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, p.rgb.data(), 0, nullptr)) return {};
    p.width = static_cast<int>(png.width);
    p.height = static_cast<int>(png.height);
    return p;
}

int render(const std::filesystem::path& graph, const std::filesystem::path& out,
           const std::string& more = "") {
    const std::string command = std::string("LC_ALL=C '") + TESSALINE_CLI + "' render '" +
                                graph.string() + "' -o '" + out.string() + "' " + more +
                                " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

graph_document small_graph() {
    graph_document d;
    d.points = {{-1, -1, 0}, {1, -1, 0.5}, {-1, 1, 0.5}, {1, 1, 1}};
    d.faces = {{0, 2, 1}, {1, 2, 3}};
    return d;
}

// The box around the black pixels (points and edges): its share of the
// picture and its width over its height.
struct black_box {
    double share = 0, aspect = 0;
};

black_box black_extent(const picture& p) {
    int x0 = p.width, x1 = -1, y0 = p.height, y1 = -1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const std::uint8_t* c = &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
            if (c[0] != 0 || c[1] != 0 || c[2] != 0) continue;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
    if (x1 < 0) return {};
    const double w = x1 - x0 + 1, h = y1 - y0 + 1;
    return {w * h / (static_cast<double>(p.width) * p.height), w / h};
}

// Measured data far from zero, as the classic scaling shows them: a speck.
graph_document offset_graph() {
    graph_document d;
    d.font_color = 0xFF00FF; // labels magenta: the black pixels are the graph's
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j)
            d.points.push_back(
                {1000 + 10.0 * i / 11, 300 + 10.0 * j / 11, 20 + 0.04 * ((i + j) % 5)});
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 11; ++j) {
            const int a = i * 12 + j;
            d.faces.push_back({a, a + 1, a + 12});
            d.faces.push_back({a + 1, a + 13, a + 12});
        }
    return d;
}

} // namespace

TEST(RenderCommand, FittedOffsetDataFillTheView) {
    temp_folder folder;
    ASSERT_TRUE(save_graph_file(folder / "offset.xyz", offset_graph(), "test", '.').ok());
    ASSERT_EQ(render(folder / "offset.xyz", folder / "classic.png"), 0);
    ASSERT_EQ(render(folder / "offset.xyz", folder / "fit.png", "--fit"), 0);
    const black_box classic = black_extent(read_png(folder / "classic.png"));
    const black_box fit = black_extent(read_png(folder / "fit.png"));
    EXPECT_LT(classic.share, 0.01);
    EXPECT_GT(fit.share, 0.2);
    EXPECT_LT(fit.share, 0.9); // framed: nothing runs off the edges

    // From the top in parallel projection the square grid is a square.
    ASSERT_EQ(render(folder / "offset.xyz", folder / "top.png", "--fit --view top --ortho"), 0);
    const black_box top = black_extent(read_png(folder / "top.png"));
    EXPECT_GT(top.share, 0.2);
    EXPECT_NEAR(top.aspect, 1, 0.05);

    // The file's own choice is kept: a fitted file draws fitted.
    graph_document d = offset_graph();
    d.scaling = axis_scaling::fit;
    d.camera.radius = 19;
    ASSERT_TRUE(save_graph_file(folder / "fitted.xyz", d, "test", '.').ok());
    ASSERT_EQ(render(folder / "fitted.xyz", folder / "fitted.png"), 0);
    EXPECT_GT(black_extent(read_png(folder / "fitted.png")).share, 0.2);
    EXPECT_EQ(render(folder / "fitted.xyz", folder / "x.png", "--view diagonal"), 2);
}

TEST(RenderCommand, AxisRangesLeaveOutWhatLiesBeyond) {
    temp_folder folder;
    graph_document d = offset_graph();
    d.scaling = axis_scaling::fit;
    ASSERT_TRUE(save_graph_file(folder / "a.xyz", d, "test", '.').ok());
    ASSERT_EQ(render(folder / "a.xyz", folder / "all.png", "--view top --ortho"), 0);
    // The lower half of X: the axis spans it, so the half left fills the
    // width as the whole did, and the right half of the grid is gone.
    ASSERT_EQ(render(folder / "a.xyz", folder / "half.png",
                     "--view top --ortho --range-x :1005 --range-y 300:"),
              0);
    ASSERT_EQ(render(folder / "a.xyz", folder / "none.png", "--range-z 50:60"), 0);
    const picture all = read_png(folder / "all.png"), half = read_png(folder / "half.png");
    EXPECT_GT(black_extent(half).share, 0.2);
    EXPECT_LT(half.count(0, 0, 0), all.count(0, 0, 0) * 3 / 4);
    EXPECT_EQ(black_extent(read_png(folder / "none.png")).share, 0);
    EXPECT_EQ(render(folder / "a.xyz", folder / "x.png", "--range-x 5"), 2);
    EXPECT_EQ(render(folder / "a.xyz", folder / "x.png", "--range-x a:b"), 2);
}

TEST(RenderCommand, DrawsTheViewTheFileKeeps) {
    temp_folder folder;
    graph_document d = small_graph();
    d.selected_point_id = 3;
    d.font_color = 0xFF00FF; // magenta: red in the lowest byte
    ASSERT_TRUE(save_graph_file(folder / "a.xyz", d, "test", '.').ok());
    ASSERT_EQ(render(folder / "a.xyz", folder / "a.png", "--size 320x240"), 0);
    const picture a = read_png(folder / "a.png");
    EXPECT_EQ(a.width, 320);
    EXPECT_EQ(a.height, 240);
    EXPECT_GT(a.count(10, 100, 255), 5); // the selection marker
    EXPECT_GT(a.count(255, 0, 255), 50); // labels in the file's colour

    // With every layer off only the frame remains: no marker, no black dots.
    d.modes = {false, false, false};
    ASSERT_TRUE(save_graph_file(folder / "b.xyz", d, "test", '.').ok());
    ASSERT_EQ(render(folder / "b.xyz", folder / "b.png"), 0);
    const picture b = read_png(folder / "b.png");
    EXPECT_EQ(b.width, 815);
    EXPECT_EQ(b.height, 682);
    EXPECT_EQ(b.count(10, 100, 255), 0);
    EXPECT_EQ(b.count(0, 0, 0), 0);
}

TEST(RenderCommand, ColoursByHeightAsTheFileOrTheOptionsSay) {
    temp_folder folder;
    graph_document d = small_graph();
    d.modes = {false, false, true};
    ASSERT_TRUE(save_graph_file(folder / "classic.xyz", d, "test", '.').ok());
    d.colours = colour_map::viridis;
    ASSERT_TRUE(save_graph_file(folder / "viridis.xyz", d, "test", '.').ok());
    // Pixels of the bar's far ends: viridis' purple bottom and yellow top.
    // From column `from` rightwards.
    const auto ends = [](const picture& p, int from = 0) {
        int purple = 0, yellow = 0;
        for (std::size_t i = 0; i + 2 < p.rgb.size(); i += 3) {
            if (static_cast<int>(i / 3) % p.width < from) continue;
            const int r = p.rgb[i], g = p.rgb[i + 1], b = p.rgb[i + 2];
            purple += r > g + 40 && b > g + 40;
            yellow += r > 200 && g > 200 && b < 90;
        }
        return std::pair{purple, yellow};
    };
    ASSERT_EQ(render(folder / "viridis.xyz", folder / "v.png"), 0);
    const auto [purple, yellow] = ends(read_png(folder / "v.png"));
    EXPECT_GT(purple, 100);
    EXPECT_GT(yellow, 100);
    ASSERT_EQ(render(folder / "viridis.xyz", folder / "off.png", "--colormap off"), 0);
    EXPECT_EQ(ends(read_png(folder / "off.png")), std::pair(0, 0));
    ASSERT_EQ(render(folder / "classic.xyz", folder / "c.png", "--colormap cividis --smooth"), 0);
    EXPECT_EQ(ends(read_png(folder / "c.png")).first, 0); // cividis has no purple
    // The bar's purple low end at the right edge, where the graph does not
    // reach; without the bar the edge is bare.
    const picture v = read_png(folder / "v.png");
    EXPECT_GT(ends(v, v.width * 9 / 10).first, 100);
    ASSERT_EQ(render(folder / "viridis.xyz", folder / "nobar.png", "--colorbar off"), 0);
    EXPECT_EQ(ends(read_png(folder / "nobar.png"), v.width * 9 / 10).first, 0);
    EXPECT_EQ(render(folder / "viridis.xyz", folder / "x.png", "--colormap rainbow"), 2);
    EXPECT_EQ(render(folder / "viridis.xyz", folder / "x.png", "--colorbar"), 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.png"));
}

TEST(RenderCommand, RefusesWhatItCannotDraw) {
    temp_folder folder;
    ASSERT_TRUE(save_graph_file(folder / "a.xyz", small_graph(), "test", '.').ok());
    EXPECT_EQ(render(folder / "a.xyz", folder / "x.png", "--size 10"), 2);
    EXPECT_EQ(render(folder / "a.xyz", folder / "x.png", "--size 0x10"), 2);
    EXPECT_EQ(render(folder / "missing.xyz", folder / "x.png"), 1);
    EXPECT_EQ(render(folder / "a.xyz", folder / "no-such-folder" / "x.png"), 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.png"));
}

TEST(RenderCommand, APictureBeyondTheMemorySaysSo) {
    if (address_sanitizer) GTEST_SKIP() << "no address space limit under AddressSanitizer";
    temp_folder folder;
    ASSERT_TRUE(save_graph_file(folder / "a.xyz", small_graph(), "test", '.').ok());
    // 12000 x 12000 pixels take some 3.7 GB; the renderer gets 2 GB.
    const std::string command = std::string("ulimit -v 2000000; LC_ALL=C '") + TESSALINE_CLI +
                                "' render '" + (folder / "a.xyz").string() + "' -o '" +
                                (folder / "x.png").string() + "' --size 12000x12000 2>'" +
                                (folder / "err.txt").string() + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    const std::string err = file_text(folder / "err.txt");
    EXPECT_NE(err.find("a picture of 12000x12000 pixels is too large"), std::string::npos) << err;
    EXPECT_NE(err.find("it needs about 3745 MB"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(folder / "x.png"));
}

namespace {

// The same surface as a CSV with decimal commas between ";" and a header.
void write_offset_table(const std::filesystem::path& path) {
    std::string text = "Easting;Northing;Depth\n";
    for (const data_point& p : offset_graph().points) {
        std::string row =
            std::to_string(p.x) + ";" + std::to_string(p.y) + ";" + std::to_string(p.z) + "\n";
        for (char& c : row)
            if (c == '.') c = ',';
        text += row;
    }
    write_text(path, text);
}

} // namespace

TEST(RenderCommand, DrawsATableOrAWorkbookAsAFreshImportShowsIt) {
    temp_folder folder;
    write_offset_table(folder / "offset.csv");
    ASSERT_EQ(render(folder / "offset.csv", folder / "table.png", "--fit --size 400x300"), 0);
    const picture table = read_png(folder / "table.png");
    EXPECT_EQ(table.width, 400);
    // Framed on the data, which fill a good part of the view.
    const black_box box = black_extent(table);
    EXPECT_GT(box.share, 0.1);
    EXPECT_LT(box.share, 0.9);

    const std::string book = TESSALINE_TEST_DATA "/workbooks/mixed.xlsx";
    EXPECT_EQ(render(book, folder / "book.png", "--sheet 2 --x AA --y AB --z AC --title-row 2"), 0);
    EXPECT_GT(black_extent(read_png(folder / "book.png")).share, 0.01);
    // A workbook needs its picks, as convert does; a table of words gives no graph.
    EXPECT_EQ(render(book, folder / "x.png"), 2);
    write_text(folder / "words.csv", "a,b,c\nd,e,f\n");
    EXPECT_EQ(render(folder / "words.csv", folder / "x.png"), 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.png"));
}

TEST(RenderCommand, AScaleMultipliesThePictureAndAHugeOneIsRefused) {
    temp_folder folder;
    ASSERT_TRUE(save_graph_file(folder / "a.xyz", offset_graph(), "test", '.').ok());
    ASSERT_EQ(render(folder / "a.xyz", folder / "one.png", "--fit --size 200x150"), 0);
    ASSERT_EQ(render(folder / "a.xyz", folder / "four.png", "--fit --size 200x150 --scale 4"), 0);
    const picture one = read_png(folder / "one.png"), four = read_png(folder / "four.png");
    EXPECT_EQ(four.width, 800);
    EXPECT_EQ(four.height, 600);
    // The same view, larger: the graph takes the same share of it.
    EXPECT_NEAR(black_extent(four).share, black_extent(one).share, 0.05);

    const std::string command = std::string("LC_ALL=C '") + TESSALINE_CLI + "' render '" +
                                (folder / "a.xyz").string() + "' -o '" +
                                (folder / "x.png").string() + "' --scale 100 2>'" +
                                (folder / "err.txt").string() + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_NE(file_text(folder / "err.txt").find("81500x68200 pixels is larger than the largest"),
              std::string::npos)
        << file_text(folder / "err.txt");
    EXPECT_EQ(render(folder / "a.xyz", folder / "x.png", "--scale 0"), 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.png"));
}
