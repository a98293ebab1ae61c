#include "datafield.h"

#include "poligondef.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessaline {

void Datafield::load_points(const data_points_& new_points, std::stop_token stop) {
    point_count = static_cast<std::int32_t>(new_points.size());
    points = new_points;
    compute_bounds();
    build_faces(std::move(stop));
    compute_normals();
    set_shift_marks_x(0);
    set_shift_marks_y(0);
    set_shift_marks_z(0);
    set_captions("X", "Y", "Z");
}

void Datafield::load_graph(const data_points_& new_points, const triangles& new_faces) {
    point_count = static_cast<std::int32_t>(new_points.size());
    points = new_points;
    compute_bounds();
    face_count = static_cast<std::int32_t>(new_faces.size());
    faces = new_faces;
    compute_normals();
    set_shift_marks_x(0);
    set_shift_marks_y(0);
    set_shift_marks_z(0);
    set_captions("X", "Y", "Z");
}

static double axis_scale(double max, double min) {
    if (max == 0 && min == 0) return 1;
    return std::fabs(max + min > 0 ? 1 / max : 1 / min);
}

namespace {

// Half the range of an axis and its centre, from the difference where it is
// finite (exact for near values) and from the halves where it overflows.
struct axis_span {
    double centre, half;
};

axis_span fit_span(double max, double min) {
    const bool fits = std::isfinite(max - min);
    double half = fits ? (max - min) / 2 : max / 2 - min / 2;
    const double centre = fits ? min + half : min / 2 + max / 2;
    // A flat axis shows a unit either side of its value; so does one too
    // narrow to divide by.
    if (!(half > 0) || !std::isfinite(1 / half)) half = 1;
    return {centre, half};
}

// Marks of the fit scaling stand on whole multiples of the step inside the
// data's range; a little slack keeps a mark that lies on a bound in spite of
// the rounding of value / step.
constexpr double bound_slack = 1e-6;

double exact_mark_value(const interval& iv) {
    return power_of_ten(iv.power) / iv.divisor * iv.multiple;
}

} // namespace

void Datafield::compute_bounds() {
    ++revision;
    if (points.empty()) {
        max_x = max_y = max_z = 10;
        min_x = min_y = min_z = 0;
    } else {
        max_x = min_x = points[0].x;
        max_y = min_y = points[0].y;
        max_z = min_z = points[0].z;
        for (const data_point& p : points) {
            if (p.x > max_x) max_x = p.x;
            if (p.x < min_x) min_x = p.x;
            if (p.y > max_y) max_y = p.y;
            if (p.y < min_y) min_y = p.y;
            if (p.z > max_z) max_z = p.z;
            if (p.z < min_z) min_z = p.z;
        }
    }
    const span sx = spanned(limits_x, max_x, min_x), sy = spanned(limits_y, max_y, min_y),
               sz = spanned(limits_z, max_z, min_z);
    if (scaling == axis_scaling::fit) {
        const axis_span x = fit_span(sx.max, sx.min), y = fit_span(sy.max, sy.min),
                        z = fit_span(sz.max, sz.min);
        offset_x = x.centre;
        offset_y = y.centre;
        offset_z = z.centre;
        scale_x = 1 / x.half;
        scale_y = 1 / y.half;
        scale_z = 1 / z.half;
    } else {
        offset_x = offset_y = offset_z = 0;
        scale_x = axis_scale(sx.max, sx.min);
        scale_y = axis_scale(sy.max, sy.min);
        scale_z = axis_scale(sz.max, sz.min);
    }
    shown.clear();
    if (limits_x.any() || limits_y.any() || limits_z.any()) {
        const auto inside = [](const axis_limits& l, double v) {
            return !(l.min && v < *l.min) && !(l.max && v > *l.max);
        };
        shown.resize(points.size());
        for (size_t i = 0; i < points.size(); ++i)
            shown[i] = inside(limits_x, points[i].x) && inside(limits_y, points[i].y) &&
                       inside(limits_z, points[i].z);
    }
    gl_points.resize(points.size());
    if (scaling == axis_scaling::fit) {
        for (size_t i = 0; i < points.size(); ++i)
            gl_points[i] = {static_cast<float>((points[i].x - offset_x) * scale_x),
                            static_cast<float>((points[i].y - offset_y) * scale_y),
                            static_cast<float>((points[i].z - offset_z) * scale_z)};
    } else {
        for (size_t i = 0; i < points.size(); ++i)
            gl_points[i] = {static_cast<float>(points[i].x * scale_x),
                            static_cast<float>(points[i].y * scale_y),
                            static_cast<float>(points[i].z * scale_z)};
    }
    gl_max_x = static_cast<float>(scale_x * (max_x - offset_x));
    gl_min_x = static_cast<float>(scale_x * (min_x - offset_x));
    gl_max_y = static_cast<float>(scale_y * (max_y - offset_y));
    gl_min_y = static_cast<float>(scale_y * (min_y - offset_y));
}

Datafield::span Datafield::spanned(const axis_limits& limits, double max, double min) {
    span s{limits.max.value_or(max), limits.min.value_or(min)};
    // One limit beyond the data's other bound: the limits still make a range.
    if (s.min > s.max) std::swap(s.min, s.max);
    return s;
}

void Datafield::set_limits(const axis_limits& x, const axis_limits& y, const axis_limits& z) {
    limits_x = x;
    limits_y = y;
    limits_z = z;
    compute_bounds();
    compute_normals();
}

void Datafield::set_scaling(axis_scaling mode) {
    scaling = mode;
    compute_bounds();
    compute_normals();
}

void Datafield::build_faces(std::stop_token stop) {
    ++revision;
    poligondef builder(point_count, gl_points, gl_max_x, gl_min_x, gl_max_y, gl_min_y);
    builder.run(std::move(stop));
    faces = builder.get_triangles();
    face_count = static_cast<std::int32_t>(faces.size());
}

void Datafield::compute_normals() {
    ++revision;
    normals.resize(faces.size());
    vector_3d sum;
    for (size_t i = 0; i < faces.size(); ++i) {
        const triangle& f = faces[i];
        normals[i] = triangle_normal(gl_points[f.p0], gl_points[f.p1], gl_points[f.p2]);
        sum.x += normals[i].x;
        sum.y += normals[i].y;
        sum.z += normals[i].z;
    }
    const double length = static_cast<float>(std::sqrt(static_cast<double>(sum.x) * sum.x +
                                                       static_cast<double>(sum.y) * sum.y +
                                                       static_cast<double>(sum.z) * sum.z));
    mean_normal = {static_cast<float>(1 / length * sum.x), static_cast<float>(1 / length * sum.y),
                   static_cast<float>(1 / length * sum.z)};
}

interval Datafield::default_interval(double max, double min) {
    const double m = std::max(std::fabs(max), std::fabs(min));
    if ((max == 0 && min == 0) || !std::isfinite(m)) return {0, 1, 1};
    const float h = static_cast<float>(std::log10(m));
    const std::int32_t p = h == 0 ? 1 : static_cast<std::int32_t>(std::ceil(h));
    // m / step rises tenfold every three tries, so a finite m ends this
    // within a few steps; the bound only guards against a runaway.
    for (std::int32_t k = 1; k < 1000; ++k) {
        const std::int32_t q = p - k;
        for (std::int32_t divisor : {1, 2, 5})
            if (m / (power_of_ten(q) / divisor) > 3) return {q, divisor, 1};
    }
    return {0, 1, 1};
}

void Datafield::build_marks(marks& list, interval iv, double scale, double max, double min) {
    list.resize(1);
    const double m = std::max(std::fabs(max), std::fabs(min));
    for (std::int32_t sign : {1, -1}) {
        for (std::int32_t k = 1; k <= max_marks_per_side; ++k) {
            iv.multiple = sign * k;
            const float value = mark_value(iv);
            // A step too small for 32 bits gives value 0 for every multiple:
            // such marks would pile up at zero for ever.
            if (!(std::fabs(value) <= m) || value == 0) break;
            mark entry;
            static_cast<interval&>(entry) = iv;
            entry.position = static_cast<float>(value * scale);
            entry.text = mark_to_text(iv);
            list.push_back(std::move(entry));
        }
    }
}

void Datafield::scale_marks(marks& list, std::int32_t zoom_step, double scale) {
    const double f = zoom_factor(zoom_step);
    if (list.empty()) return;
    list[0].position = static_cast<float>(1.3 * f);
    for (size_t i = 1; i < list.size(); ++i)
        list[i].position = static_cast<float>(mark_value(list[i]) * scale * f);
}

void Datafield::set_axis_caption(marks& list, const std::string& text) {
    if (list.empty()) list.resize(1);
    list[0].position = 1.3f;
    list[0].text = text;
}

interval Datafield::shifted_interval(double max, double min, std::int32_t shift) const {
    // The fit scaling's axis spans the range, as the classic one spans twice
    // the largest magnitude: the half range takes that magnitude's place.
    // One step coarser, since data away from zero have long labels.
    const double half = fit_span(max, min).half;
    interval iv = scaling == axis_scaling::fit ? larger_interval(default_interval(half, -half))
                                               : default_interval(max, min);
    shift = std::clamp(shift, min_interval_shift, max_interval_shift);
    for (std::int32_t i = 0; i < std::abs(shift); ++i)
        iv = shift > 0 ? smaller_interval(iv) : larger_interval(iv);
    return iv;
}

void Datafield::place_marks(marks& list, std::int32_t shift, double offset, double scale,
                            double max, double min) const {
    const interval iv = shifted_interval(max, min, shift);
    if (scaling == axis_scaling::classic) {
        build_marks(list, iv, scale, max, min);
        return;
    }
    list.resize(1);
    const double step = power_of_ten(iv.power) / iv.divisor;
    const axis_span span = fit_span(max, min);
    const double first = std::ceil((span.centre - span.half) / step - bound_slack);
    const double last = std::floor((span.centre + span.half) / step + bound_slack);
    // Multiples past 32 bits (a narrow range far from zero) get no marks.
    constexpr double largest = std::numeric_limits<std::int32_t>::max();
    if (!(first >= -largest && last <= largest) || last - first >= 2.0 * max_marks_per_side) return;
    for (auto k = static_cast<std::int32_t>(first); k <= static_cast<std::int32_t>(last); ++k) {
        mark entry;
        static_cast<interval&>(entry) = iv;
        entry.multiple = k;
        entry.position = static_cast<float>((exact_mark_value(entry) - offset) * scale);
        entry.text = mark_to_text(entry);
        list.push_back(std::move(entry));
        if (k == std::numeric_limits<std::int32_t>::max()) break;
    }
}

void Datafield::zoom_marks(marks& list, std::int32_t zoom_step, double offset, double scale) const {
    if (scaling == axis_scaling::classic || list.empty()) {
        scale_marks(list, zoom_step, scale);
        return;
    }
    const double f = zoom_factor(zoom_step);
    list[0].position = static_cast<float>(1.3 * f);
    for (size_t i = 1; i < list.size(); ++i)
        list[i].position = static_cast<float>((exact_mark_value(list[i]) - offset) * scale * f);
}

void Datafield::set_shift_marks_x(std::int32_t shift) {
    const span s = spanned(limits_x, max_x, min_x);
    place_marks(marks_x, shift, offset_x, scale_x, s.max, s.min);
}
void Datafield::set_shift_marks_y(std::int32_t shift) {
    const span s = spanned(limits_y, max_y, min_y);
    place_marks(marks_y, shift, offset_y, scale_y, s.max, s.min);
}
void Datafield::set_shift_marks_z(std::int32_t shift) {
    const span s = spanned(limits_z, max_z, min_z);
    place_marks(marks_z, shift, offset_z, scale_z, s.max, s.min);
}
void Datafield::set_shift_scale_x(std::int32_t zoom_step) {
    zoom_marks(marks_x, zoom_step, offset_x, scale_x);
}
void Datafield::set_shift_scale_y(std::int32_t zoom_step) {
    zoom_marks(marks_y, zoom_step, offset_y, scale_y);
}
void Datafield::set_shift_scale_z(std::int32_t zoom_step) {
    zoom_marks(marks_z, zoom_step, offset_z, scale_z);
}

void Datafield::set_captions(const std::string& x, const std::string& y, const std::string& z) {
    set_axis_caption(marks_x, x);
    set_axis_caption(marks_y, y);
    set_axis_caption(marks_z, z);
}

} // namespace tessaline
