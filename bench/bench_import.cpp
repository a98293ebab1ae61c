// Times the whole import path as the window runs it, without the window:
// open the workbook, read columns A, B, C of the first sheet from row 1,
// build the graph, draw the first frame headless at the window's view size.
// Usage: tessaline-bench-import BOOK (e.g. one made by
// `tessaline-bench-workbook generate ROWS BOOK`).
#include "import/clc.h"
#include "import/run_import.h"
#include "import/xls.h"
#include "view/headless/egl_surface.h"
#include "view/opengl_screen.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

using namespace tessaline;

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

template <class Reader> int run(const std::string& path) {
    const auto start = clock_type::now();
    Reader reader;
    const std::int32_t book = reader.open_book(path);
    if (book < 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(), reader.last_error().c_str());
        return 1;
    }
    const double open_s = seconds_since(start);

    auto t = clock_type::now();
    const import_choice choice{
        .sheet = 0, .data_begin_row = 0, .x_column = 0, .y_column = 1, .z_column = 2};
    const import_result rows = run_import(reader, book, choice);
    reader.close_all();
    const double read_s = seconds_since(t);

    t = clock_type::now();
    Datafield field;
    field.load_points(rows.points);
    const double faces_s = seconds_since(t);

    t = clock_type::now();
    egl_surface surface({815, 682});
    TOpenGLScreen screen(surface, field);
    screen.get_space().set_graph_mode(true, true, false); // as the desktop starts
    screen.render(GL_RENDER);
    glFinish();
    const double frame_s = seconds_since(t);
    // A frame once everything is built: what a redraw costs.
    t = clock_type::now();
    screen.render(GL_RENDER);
    glFinish();
    const double next_frame_s = seconds_since(t);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("points=%zu faces=%d open_s=%.2f read_s=%.2f faces_s=%.2f first_frame_s=%.2f "
                "total_s=%.2f next_frame_s=%.2f peak_mb=%ld\n",
                rows.points.size(), field.face_count, open_s, read_s, faces_s, frame_s,
                open_s + read_s + faces_s + frame_s, next_frame_s, usage.ru_maxrss / 1024);
    return 0;
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaline-bench-import BOOK\n");
        return 2;
    }
    try {
        const std::string path = argv[1];
        return ends_with(path, ".ods") ? run<clc>(path) : run<xls>(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessaline-bench-import: %s\n", e.what());
        return 1;
    }
}
