// The graph being shown: points in data and scene units, per-axis bounds and
// scales, faces with their normals, and one mark list per axis (entry 0 is the
// axis caption). Replaced whole by a load; the marks of one axis by a shift or
// zoom change.
#pragma once

#include "declaration.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace tessaline {

// An axis gets no denser marks than this many interval shifts give: seven
// steps of the 1-2-5 sequence past the default mean at most 2000 marks per side.
inline constexpr std::int32_t max_interval_shift = 7;
// Coarser shifts than this leave no mark at all on any axis, so the loop stops here.
inline constexpr std::int32_t min_interval_shift = -1000;
// Safety net for degenerate ranges (a step that rounds to zero in 32 bits).
inline constexpr std::int32_t max_marks_per_side = 5000;

class Datafield {
  public:
    // Stops with work_stopped once `stop` is requested while the faces are built.
    void load_points(const data_points_& new_points, std::stop_token stop = {});
    void load_graph(const data_points_& new_points, const triangles& new_faces);
    void compute_bounds();
    void build_faces(std::stop_token stop = {});
    void compute_normals();

    static interval default_interval(double max, double min);
    static void build_marks(marks& list, interval iv, double scale, double max, double min);
    static void scale_marks(marks& list, std::int32_t zoom_step, double scale);
    static void set_axis_caption(marks& list, const std::string& text);

    void set_shift_marks_x(std::int32_t shift);
    void set_shift_marks_y(std::int32_t shift);
    void set_shift_marks_z(std::int32_t shift);
    void set_shift_scale_x(std::int32_t zoom_step);
    void set_shift_scale_y(std::int32_t zoom_step);
    void set_shift_scale_z(std::int32_t zoom_step);
    void set_captions(const std::string& x, const std::string& y, const std::string& z);
    // Maps the points anew and keeps the faces; the caller rebuilds the marks
    // with its shifts and zoom steps, as after a load.
    void set_scaling(axis_scaling mode);
    // Likewise for the axis limits.
    void set_limits(const axis_limits& x, const axis_limits& y, const axis_limits& z);
    // Whether a point lies inside every axis' limits.
    bool point_shown(std::int32_t id) const {
        return shown.empty() || shown[static_cast<size_t>(id)] != 0;
    }
    // Whether a face's three corners are shown.
    bool face_shown(const triangle& f) const {
        return shown.empty() || (point_shown(f.p0) && point_shown(f.p1) && point_shown(f.p2));
    }

    std::int32_t point_count = 0;
    data_points_ points;
    gl_points_ gl_points;
    double max_x = 0, min_x = 0, max_y = 0, min_y = 0, max_z = 0, min_z = 0;
    float gl_max_x = 0, gl_min_x = 0, gl_max_y = 0, gl_min_y = 0;
    double scale_x = 0, scale_y = 0, scale_z = 0;
    // Scene value = (data value - offset) x scale; the offsets are 0 in the
    // classic scaling.
    axis_scaling scaling = axis_scaling::classic;
    double offset_x = 0, offset_y = 0, offset_z = 0;
    axis_limits limits_x, limits_y, limits_z;
    // Per point, 1 when inside every limit; empty while no limit is set.
    std::vector<std::uint8_t> shown;
    triangles faces;
    std::vector<vector_3d> normals;
    vector_3d mean_normal;
    std::int32_t face_count = 0;
    marks marks_x, marks_y, marks_z;
    // Counts the changes of gl_points, faces and normals, so that a view can
    // keep what it built from them until they change.
    std::uint64_t revision = 0;

  private:
    struct span {
        double max, min;
    };
    // What an axis spans: its limits where set, the data's bounds elsewhere.
    static span spanned(const axis_limits& limits, double max, double min);
    interval shifted_interval(double max, double min, std::int32_t shift) const;
    void place_marks(marks& list, std::int32_t shift, double offset, double scale, double max,
                     double min) const;
    void zoom_marks(marks& list, std::int32_t zoom_step, double offset, double scale) const;
};

} // namespace tessaline
