#include "cells.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace tessaline {

std::int32_t initial_grid_size(std::size_t point_count) {
    float per_cell = static_cast<float>(static_cast<double>(point_count) / 20.0);
    float side = static_cast<float>(std::sqrt(static_cast<double>(per_cell)));
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::ceil(side)));
}

std::pair<std::int32_t, std::int32_t> grid_cell_of(double x, double y, float min_x, float min_y,
                                                   float cell_width, float cell_height,
                                                   std::int32_t n) {
    auto index = [n](double d, float size) -> std::int32_t {
        if (d == 0) return 0;
        double q = std::ceil(d / size) - 1;
        // A zero-width extent gives an infinite or undefined quotient; such a
        // value lands in the last cell like any value beyond the extent.
        if (!(q < n)) return n - 1;
        return q < 0 ? 0 : static_cast<std::int32_t>(q);
    };
    return {index(x - min_x, cell_width), index(y - min_y, cell_height)};
}

double grid_area_clearance(double x, double y, std::int32_t c0, std::int32_t c1, std::int32_t r0,
                           std::int32_t r1, std::int32_t n, float max_x, float min_x, float max_y,
                           float min_y, float cell_width, float cell_height) {
    const double left = c0 * static_cast<double>(cell_width) + min_x;
    const double bottom = r0 * static_cast<double>(cell_height) + min_y;
    const double right = c1 * static_cast<double>(cell_width) + cell_width + min_x;
    const double top = r1 * static_cast<double>(cell_height) + cell_height + min_y;
    const double width = static_cast<double>(max_x) - min_x;
    const double height = static_cast<double>(max_y) - min_y;
    const double d_left = c0 == 0 ? 2 * width : x - left;
    const double d_bottom = r0 == 0 ? 2 * height : y - bottom;
    const double d_right = c1 == n - 1 ? width + 10 : right - x;
    const double d_top = r1 == n - 1 ? height + 10 : top - y;
    double d = d_left;
    if (d_bottom < d) d = d_bottom;
    if (d_right < d) d = d_right;
    if (d_top < d) d = d_top;
    return d;
}

cells::cells(const gl_points_& points_, float max_x_, float min_x_, float max_y_, float min_y_)
    : points(points_), max_x(max_x_), min_x(min_x_), max_y(max_y_), min_y(min_y_) {
    grid_size = initial_grid_size(points.size());
    cell_width = static_cast<float>((static_cast<double>(max_x) - min_x) / grid_size);
    cell_height = static_cast<float>((static_cast<double>(max_y) - min_y) / grid_size);
    fill();
    fill_rounds = 0;
    refine();
}

std::pair<std::int32_t, std::int32_t> cells::cell_of(double x, double y) const {
    return grid_cell_of(x, y, min_x, min_y, cell_width, cell_height, grid_size);
}

void cells::fill() {
    grid.assign(static_cast<size_t>(grid_size),
                cells_column_of_points(static_cast<size_t>(grid_size)));
    for (std::int32_t id = 0; id < static_cast<std::int32_t>(points.size()); ++id) {
        auto [col, row] = cell_of(points[id].x, points[id].y);
        add_to_cell(col, row, id);
    }
}

void cells::add_to_cell(std::int32_t col, std::int32_t row, std::int32_t id) {
    cell_with_points_id& c = grid[col][row];
    if (static_cast<std::int32_t>(c.ids.size()) == c.count) c.ids.resize(c.ids.size() + 20);
    c.ids[c.count++] = id;
}

void cells::refine() {
    ++fill_rounds;
    std::int32_t largest = 0;
    for (const auto& column : grid)
        for (const auto& c : column)
            largest = std::max(largest, c.count);
    if (largest > max_points_per_cell && fill_rounds < max_fill_rounds) {
        grid_size *= 2;
        cell_width = static_cast<float>((static_cast<double>(max_x) - min_x) / grid_size);
        cell_height = static_cast<float>((static_cast<double>(max_y) - min_y) / grid_size);
        fill();
        refine();
    }
}

void cells::start_search(double x, double y) {
    search_x = x;
    search_y = y;
    std::tie(start_col, start_row) = cell_of(x, y);
    area.assign(1, {start_col, start_row, false});
    area_index = 0;
    cell_index = 0;
}

std::int32_t cells::next_point() {
    while (true) {
        if (area_index == static_cast<std::int32_t>(area.size())) {
            cell_index = 0;
            return -1;
        }
        const cell_with_points_id& c = grid[area[area_index].col][area[area_index].row];
        if (c.count == cell_index) {
            area[area_index].done = true;
            ++area_index;
            cell_index = 0;
            continue;
        }
        return c.ids[cell_index++];
    }
}

std::array<std::int32_t, 4> cells::area_bounds() const {
    std::int32_t c0 = area[0].col, c1 = c0, r0 = area[0].row, r1 = r0;
    for (const auto& a : area) {
        c0 = std::min(c0, a.col);
        c1 = std::max(c1, a.col);
        r0 = std::min(r0, a.row);
        r1 = std::max(r1, a.row);
    }
    return {c0, c1, r0, r1};
}

double cells::area_clearance(double x, double y) const {
    const auto [c0, c1, r0, r1] = area_bounds();
    return grid_area_clearance(x, y, c0, c1, r0, r1, grid_size, max_x, min_x, max_y, min_y,
                               cell_width, cell_height);
}

double cells::search_clearance() const {
    return area_clearance(search_x, search_y);
}

void cells::add_area_cell(std::int32_t col, std::int32_t row) {
    if (col >= 0 && col < grid_size && row >= 0 && row < grid_size)
        area.push_back({col, row, false});
}

bool cells::grow_area() {
    const auto [c0, c1, r0, r1] = area_bounds();
    if (c0 == 0 && r0 == 0 && c1 == grid_size - 1 && r1 == grid_size - 1) return false;
    for (std::int32_t col = c0 - 1; col <= c1 + 1; ++col)
        add_area_cell(col, r0 - 1);
    for (std::int32_t col = c0 - 1; col <= c1 + 1; ++col)
        add_area_cell(col, r1 + 1);
    for (std::int32_t row = r0; row <= r1; ++row)
        add_area_cell(c0 - 1, row);
    for (std::int32_t row = r0; row <= r1; ++row)
        add_area_cell(c1 + 1, row);
    return true;
}

} // namespace tessaline
