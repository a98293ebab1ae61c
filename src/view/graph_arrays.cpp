#include "graph_arrays.h"

#include <algorithm>

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

const std::vector<face_vertex>& graph_arrays::face_vertices(const Datafield& field) {
    const source now = source_of(field);
    if (now == faces_source_) return faces_;
    faces_.clear();
    faces_.reserve(field.faces.size() * 3);
    const std::size_t normal_count = field.normals.size();
    for (std::size_t i = 0; i < field.faces.size(); ++i) {
        const triangle& f = field.faces[i];
        if (!face_in_range(f, field.gl_points.size()) || i >= normal_count || !field.face_shown(f))
            continue;
        const vector_3d& n = field.normals[i];
        for (std::int32_t id : {f.p0, f.p1, f.p2}) {
            const gl_point& p = field.gl_points[static_cast<std::size_t>(id)];
            faces_.push_back({n.x, n.y, n.z, p.x, p.y, p.z});
        }
    }
    faces_source_ = now;
    ++faces_generation_;
    return faces_;
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

const std::vector<face_vertex>& graph_arrays::reduced_face_vertices(const Datafield& field,
                                                                    std::int32_t stride) {
    return reduced(face_vertices(field), faces_source_, 3, stride, reduced_faces_);
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
