#include "graph_arrays.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tessaline {

bool face_in_range(const triangle& face, std::size_t point_count) {
    const auto in = [point_count](std::int32_t id) {
        return id >= 0 && static_cast<std::size_t>(id) < point_count;
    };
    return in(face.p0) && in(face.p1) && in(face.p2);
}

graph_arrays::source graph_arrays::source_of(const Datafield& field) {
    return {field.revision, field.gl_points.data(), field.gl_points.size(), field.faces.size()};
}

const std::vector<GLuint>& graph_arrays::edge_indices(const Datafield& field) {
    const source now = source_of(field);
    if (now == edges_source_) return edges_;
    edges_.clear();
    edges_.reserve(field.faces.size() * 6);
    for (const triangle& f : field.faces) {
        if (!face_in_range(f, field.gl_points.size()) || !field.face_shown(f)) continue;
        const auto a = static_cast<GLuint>(f.p0), b = static_cast<GLuint>(f.p1),
                   c = static_cast<GLuint>(f.p2);
        edges_.insert(edges_.end(), {a, b, b, c, c, a});
    }
    edges_source_ = now;
    ++edges_generation_;
    return edges_;
}

namespace {

std::uint64_t style_variant(face_style style) {
    return (style.upright ? 1u : 0u) | (style.smooth ? 2u : 0u);
}

vector_3d upright(vector_3d n) {
    return n.z < 0 ? vector_3d{-n.x, -n.y, -n.z} : n;
}

// Per point, the normalised sum of the upright normals of its faces.
std::vector<vector_3d> point_normals(const Datafield& field) {
    std::vector<vector_3d> sums(field.gl_points.size());
    const std::size_t count = std::min(field.faces.size(), field.normals.size());
    for (std::size_t i = 0; i < count; ++i) {
        const triangle& f = field.faces[i];
        if (!face_in_range(f, field.gl_points.size())) continue;
        const vector_3d n = upright(field.normals[i]);
        if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z)) continue;
        for (std::int32_t id : {f.p0, f.p1, f.p2}) {
            vector_3d& s = sums[static_cast<std::size_t>(id)];
            s = {s.x + n.x, s.y + n.y, s.z + n.z};
        }
    }
    for (vector_3d& s : sums) {
        const float length = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
        s = length > 0 ? vector_3d{s.x / length, s.y / length, s.z / length} : vector_3d{0, 0, 1};
    }
    return sums;
}

} // namespace

const std::vector<face_vertex>& graph_arrays::face_vertices(const Datafield& field,
                                                            face_style style) {
    source now = source_of(field);
    now.variant = style_variant(style);
    if (now == faces_source_) return faces_;
    faces_.clear();
    face_corners_.clear();
    faces_.reserve(field.faces.size() * 3);
    face_corners_.reserve(field.faces.size() * 3);
    const std::size_t normal_count = field.normals.size();
    const auto& p = field.gl_points;
    const std::vector<vector_3d> smooth =
        style.smooth ? point_normals(field) : std::vector<vector_3d>{};
    for (std::size_t i = 0; i < field.faces.size(); ++i) {
        const triangle& f = field.faces[i];
        if (!face_in_range(f, p.size()) || i >= normal_count || !field.face_shown(f)) continue;
        std::int32_t corners[3] = {f.p0, f.p1, f.p2};
        vector_3d n = field.normals[i];
        if (style.upright || style.smooth) {
            const gl_point &a = p[static_cast<std::size_t>(f.p0)],
                           &b = p[static_cast<std::size_t>(f.p1)],
                           &c = p[static_cast<std::size_t>(f.p2)];
            if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0)
                std::swap(corners[1], corners[2]);
            n = upright(n);
        }
        for (std::int32_t id : corners) {
            const gl_point& q = p[static_cast<std::size_t>(id)];
            if (style.smooth) n = smooth[static_cast<std::size_t>(id)];
            faces_.push_back({n.x, n.y, n.z, q.x, q.y, q.z});
            face_corners_.push_back(static_cast<GLuint>(id));
        }
    }
    faces_source_ = now;
    ++faces_generation_;
    return faces_;
}

const std::vector<rgb_triple>& graph_arrays::point_colours(const Datafield& field, colour_map map) {
    source now = source_of(field);
    now.variant = static_cast<std::uint64_t>(map);
    if (now == point_colours_source_) return point_colours_;
    point_colours_ = height_colours(field, map);
    // A field whose points and scene points disagree gets no colours.
    if (point_colours_.size() != field.gl_points.size()) point_colours_.clear();
    point_colours_source_ = now;
    ++point_colours_generation_;
    return point_colours_;
}

const std::vector<rgb_triple>& graph_arrays::dark_point_colours(const Datafield& field,
                                                                colour_map map) {
    const std::vector<rgb_triple>& full = point_colours(field, map);
    if (dark_point_colours_source_ == point_colours_source_) return dark_point_colours_;
    dark_point_colours_.clear();
    dark_point_colours_.reserve(full.size());
    const auto darker = [](std::uint8_t v) { return static_cast<std::uint8_t>(v * 11 / 20); };
    for (const rgb_triple& c : full)
        dark_point_colours_.push_back({darker(c.r), darker(c.g), darker(c.b)});
    dark_point_colours_source_ = point_colours_source_;
    ++point_colours_generation_;
    return dark_point_colours_;
}

namespace {

// Every stride-th run of `run` entries.
template <class T>
void take_every(const std::vector<T>& from, std::size_t run, std::int32_t stride,
                std::vector<T>& to) {
    to.clear();
    const std::size_t step = run * static_cast<std::size_t>(std::max(stride, 1));
    to.reserve(from.size() / step * run + run);
    for (std::size_t i = 0; i + run <= from.size(); i += step)
        to.insert(to.end(), from.begin() + static_cast<std::ptrdiff_t>(i),
                  from.begin() + static_cast<std::ptrdiff_t>(i + run));
}

} // namespace

template <class T>
const std::vector<T>& graph_arrays::reduced(const std::vector<T>& all, const source& of,
                                            std::size_t run, std::int32_t stride,
                                            reduced_copy<T>& copy) {
    if (stride <= 1) return all;
    if (!(copy.from == of && copy.stride == stride)) {
        take_every(all, run, stride, copy.entries);
        copy.from = of;
        copy.stride = stride;
    }
    return copy.entries;
}

const std::vector<GLuint>& graph_arrays::reduced_edge_indices(const Datafield& field,
                                                              std::int32_t stride) {
    return reduced(edge_indices(field), edges_source_, 6, stride, reduced_edges_);
}

const std::vector<face_vertex>&
graph_arrays::reduced_face_vertices(const Datafield& field, std::int32_t stride, face_style style) {
    return reduced(face_vertices(field, style), faces_source_, 3, stride, reduced_faces_);
}

const std::vector<rgb_triple>& graph_arrays::reduced_face_colours(const Datafield& field,
                                                                  colour_map map,
                                                                  std::int32_t stride,
                                                                  face_style style) {
    const std::vector<rgb_triple>& by_point = point_colours(field, map);
    face_vertices(field, style);
    const colour_key now{faces_generation_, point_colours_generation_};
    if (!(now == face_colours_key_)) {
        face_colours_.clear();
        if (!by_point.empty()) {
            face_colours_.reserve(face_corners_.size());
            for (GLuint id : face_corners_)
                face_colours_.push_back(by_point[id]);
        }
        face_colours_key_ = now;
        ++face_colours_generation_;
    }
    source of = faces_source_;
    of.variant = face_colours_generation_;
    return reduced(face_colours_, of, 3, stride, reduced_face_colours_);
}

const std::vector<GLuint>& graph_arrays::shown_points(const Datafield& field) {
    const source now = source_of(field);
    if (now == shown_source_) return shown_;
    shown_.clear();
    const std::size_t count = std::min(field.shown.size(), field.gl_points.size());
    for (std::size_t id = 0; id < count; ++id)
        if (field.shown[id]) shown_.push_back(static_cast<GLuint>(id));
    shown_source_ = now;
    return shown_;
}

const std::vector<rgb_triple>& graph_arrays::id_colors(std::size_t point_count) {
    if (id_colors_.size() != point_count) {
        id_colors_.resize(point_count);
        for (std::size_t id = 0; id < point_count; ++id)
            id_colors_[id] = id_to_color(static_cast<std::int32_t>(id));
    }
    return id_colors_;
}

} // namespace tessaline
