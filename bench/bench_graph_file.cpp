// Times saving and opening a large graph file against bare pugixml doing the
// same work on the same document in the same run: building and saving it, and
// parsing it and converting every attribute. Prints one line of figures.
//
//   tessaline-bench-graph-file [POINTS [FACES]] [--only STEP] [--folder DIR]
//
// STEP is save, open, pugixml-save or pugixml-open, to measure one step's peak
// memory alone (e.g. under /usr/bin/time -v); open steps need a saved file.
#include "files/graph_reader.h"
#include "files/graph_writer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <pugixml.hpp>
#include <random>
#include <string>

using namespace tessaline;
namespace fs = std::filesystem;

namespace {

// A smooth surface over a jittered square lattice, two faces per cell.
graph_document sample_graph(std::int64_t point_count, std::int64_t face_count) {
    graph_document graph;
    const auto side = static_cast<std::int64_t>(std::ceil(std::sqrt(double(point_count))));
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> jitter(-0.003, 0.003);
    graph.points.reserve(static_cast<size_t>(point_count));
    for (std::int64_t i = 0; i < point_count; ++i) {
        const double x = double(i % side) / double(side) * 4 - 2 + jitter(random);
        const double y = double(i / side) / double(side) * 4 - 2 + jitter(random);
        graph.points.push_back({x, y, std::sin(x * 1.7) * std::cos(y * 1.3)});
    }
    graph.faces.reserve(static_cast<size_t>(face_count));
    for (std::int64_t cell = 0; std::int64_t(graph.faces.size()) < face_count; ++cell) {
        const std::int64_t row = (cell / (side - 1)) % (side - 1), column = cell % (side - 1);
        const auto id = [&](std::int64_t r, std::int64_t c) {
            return static_cast<std::int32_t>(std::min(r * side + c, point_count - 1));
        };
        graph.faces.push_back({id(row, column), id(row, column + 1), id(row + 1, column)});
        if (std::int64_t(graph.faces.size()) < face_count)
            graph.faces.push_back(
                {id(row, column + 1), id(row + 1, column + 1), id(row + 1, column)});
    }
    graph.captions = {"X", "Y", "Z"};
    return graph;
}

void pugixml_save(const graph_document& graph, const fs::path& path) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("graph");
    root.append_child("program_name").append_attribute("val") = "Tessaline";
    root.append_child("version").append_attribute("val") = "bench";
    pugi::xml_node points = root.append_child("df_points");
    points.append_attribute("size") = static_cast<long long>(graph.points.size());
    int id = 0;
    for (const data_point& p : graph.points) {
        pugi::xml_node n = points.append_child("p");
        n.append_attribute("id") = id++;
        n.append_attribute("x").set_value(p.x, 15);
        n.append_attribute("y").set_value(p.y, 15);
        n.append_attribute("z").set_value(p.z, 15);
    }
    pugi::xml_node faces = root.append_child("df_faces");
    faces.append_attribute("size") = static_cast<long long>(graph.faces.size());
    id = 0;
    for (const triangle& f : graph.faces) {
        pugi::xml_node n = faces.append_child("f");
        n.append_attribute("id") = id++;
        n.append_attribute("p0") = f.p0;
        n.append_attribute("p1") = f.p1;
        n.append_attribute("p2") = f.p2;
    }
    for (const char* name : {"screen_view_alpha", "screen_view_betta", "screen_view_radius",
                             "screen_view_move_a", "screen_view_move_b"})
        root.append_child(name).append_attribute("val").set_value(315.0, 15);
    doc.save_file(path.c_str(), "", pugi::format_indent);
}

// Parses and converts every attribute, keeping a checksum so nothing is skipped.
double pugixml_open(const fs::path& path) {
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) return -1;
    double sum = 0;
    for (pugi::xml_node root = doc.document_element(), n = root.first_child(); n;
         n = n.next_sibling()) {
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
            sum += a.as_double();
        for (pugi::xml_node child = n.first_child(); child; child = child.next_sibling())
            for (pugi::xml_attribute a = child.first_attribute(); a; a = a.next_attribute())
                sum += std::string_view(a.name()) == "id" || a.name()[0] == 'p' ? a.as_int()
                                                                                : a.as_double();
    }
    return sum;
}

double seconds(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    std::int64_t point_count = 1'000'000, face_count = 2'000'000;
    std::string only;
    fs::path folder = fs::temp_directory_path();
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (a == "--folder" && i + 1 < argc) {
            folder = argv[++i];
        } else if (positional == 0) {
            point_count = std::stoll(a), ++positional;
        } else {
            face_count = std::stoll(a);
        }
    }
    const fs::path ours = folder / "tessaline-bench.xyz";
    const fs::path bare = folder / "tessaline-bench-pugixml.xyz";
    const auto save_ours = [&](const graph_document& graph) {
        const save_result saved = save_graph_file(ours, graph, "bench", '.');
        if (!saved.ok()) std::cerr << saved.error << '\n';
    };
    const auto open_ours = [&] {
        const graph_read read = read_graph_file(ours);
        if (!read.graph_loaded) std::cerr << read.error << read.graph_error << '\n';
    };

    if (!only.empty()) {
        if (only == "save")
            save_ours(sample_graph(point_count, face_count));
        else if (only == "pugixml-save")
            pugixml_save(sample_graph(point_count, face_count), bare);
        else if (only == "open")
            open_ours();
        else if (only == "pugixml-open")
            pugixml_open(ours);
        else
            return std::cerr << "unknown step " << only << '\n', 2;
        return 0;
    }

    const graph_document graph = sample_graph(point_count, face_count);
    const double save_s = seconds([&] { save_ours(graph); });
    const double bare_save_s = seconds([&] { pugixml_save(graph, bare); });
    const double open_s = seconds(open_ours);
    const double bare_open_s = seconds([&] { pugixml_open(ours); });
    std::printf("points=%lld faces=%lld file_mb=%.1f pugixml_file_mb=%.1f save_s=%.2f "
                "pugixml_save_s=%.2f open_s=%.2f pugixml_open_s=%.2f save_ratio=%.2f "
                "open_ratio=%.2f\n",
                static_cast<long long>(point_count), static_cast<long long>(face_count),
                double(fs::file_size(ours)) / 1e6, double(fs::file_size(bare)) / 1e6, save_s,
                bare_save_s, open_s, bare_open_s, save_s / bare_save_s, open_s / bare_open_s);
    fs::remove(bare);
    return 0;
}
