// Times the face building of a point file: one "x,y,z" line per point, no
// header. Prints the best of three loads (or RUNS), so that other tools can be compared
// on the same file.
#include "graph/datafield.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: tessaline-bench-faces POINTS.csv [RUNS]\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "tessaline-bench-faces: cannot read " << argv[1] << "\n";
        return 1;
    }
    tessaline::data_points_ points;
    std::string line;
    while (std::getline(in, line)) {
        tessaline::data_point p;
        char* end = line.data();
        p.x = std::strtod(end, &end);
        if (*end == ',') ++end;
        p.y = std::strtod(end, &end);
        if (*end == ',') ++end;
        p.z = std::strtod(end, &end);
        if (end != line.data()) points.push_back(p);
    }
    double best = 1e300;
    std::int32_t faces = 0;
    const int runs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 3;
    for (int run = 0; run < runs; ++run) {
        tessaline::Datafield field;
        const auto t0 = std::chrono::steady_clock::now();
        field.load_points(points);
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        best = std::min(best, s);
        faces = field.face_count;
    }
    std::printf("points=%zu faces=%d seconds=%.3f\n", points.size(), faces, best);
    return 0;
}
