// Client-side vertex arrays of the graph layers (edges, lit faces, id
// colours), built from the data field on first use after it changed, so that
// a frame sends each layer with one draw call.
#pragma once

#include "graph/colour_map.h"
#include "graph/datafield.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

namespace tessaline {

// One corner of a face with the face's normal, laid out for GL_N3F_V3F.
struct face_vertex {
    float nx, ny, nz;
    float x, y, z;
};

// How the faces' corners are laid out. classic: corners in stored order,
// each with its face's normal. upright: each face turned to run
// anticlockwise seen from above, its normal pointing up, so that two-sided
// light knows the top from the underside. smooth (upright too): each corner
// with its point's normal, the mean of its faces' upright normals.
struct face_style {
    bool upright = false;
    bool smooth = false;
    bool operator==(const face_style&) const = default;
};

class graph_arrays {
  public:
    // Two point ids per edge, three edges per face; faces whose ids lie
    // outside the points, or with a corner beyond the axis limits, are left out.
    const std::vector<GLuint>& edge_indices(const Datafield& field);
    // Three corners per face, laid out by the style.
    const std::vector<face_vertex>& face_vertices(const Datafield& field, face_style style = {});
    // The ids of the points inside the axis limits, in increasing order;
    // used only while a limit is set.
    const std::vector<GLuint>& shown_points(const Datafield& field);
    // Every stride-th face of edge_indices and face_vertices, for frames
    // drawn while the camera moves.
    const std::vector<GLuint>& reduced_edge_indices(const Datafield& field, std::int32_t stride);
    const std::vector<face_vertex>&
    reduced_face_vertices(const Datafield& field, std::int32_t stride, face_style style = {});
    // The colour of each point by the map (height_colours), and the darker
    // shade that edges and points take over coloured faces.
    const std::vector<rgb_triple>& point_colours(const Datafield& field, colour_map map);
    const std::vector<rgb_triple>& dark_point_colours(const Datafield& field, colour_map map);
    // The colour of each corner of reduced_face_vertices with the same
    // stride and style.
    const std::vector<rgb_triple>& reduced_face_colours(const Datafield& field, colour_map map,
                                                        std::int32_t stride, face_style style);
    // Count the rebuilds of the colour arrays, for buffers holding copies.
    std::uint64_t point_colours_generation() const { return point_colours_generation_; }
    std::uint64_t face_colours_generation() const { return face_colours_generation_; }
    // id_to_color of every point id, in id order.
    const std::vector<rgb_triple>& id_colors(std::size_t point_count);
    // Counts the rebuilds of edge_indices and face_vertices, for buffers
    // that hold copies of them.
    std::uint64_t edges_generation() const { return edges_generation_; }
    std::uint64_t faces_generation() const { return faces_generation_; }

  private:
    // What an array was built from; the revision alone misses fields
    // written directly, the sizes and buffer catch most of those.
    struct source {
        std::uint64_t revision = ~std::uint64_t{0};
        const void* points = nullptr;
        std::size_t point_count = 0;
        std::size_t face_count = 0;
        // What else the array was built from: a style, a colour map.
        std::uint64_t variant = 0;
        bool operator==(const source&) const = default;
    };
    static source source_of(const Datafield& field);

    std::vector<GLuint> edges_;
    source edges_source_;
    std::uint64_t edges_generation_ = 0;
    std::uint64_t faces_generation_ = 0;
    std::vector<face_vertex> faces_;
    // The point id of each corner of faces_.
    std::vector<GLuint> face_corners_;
    source faces_source_;
    std::vector<rgb_triple> point_colours_, dark_point_colours_, face_colours_;
    source point_colours_source_, dark_point_colours_source_;
    // The face colours follow the rebuilds of the corners and the point colours.
    struct colour_key {
        std::uint64_t faces = ~std::uint64_t{0}, points = 0;
        bool operator==(const colour_key&) const = default;
    };
    colour_key face_colours_key_;
    std::uint64_t point_colours_generation_ = 0;
    std::uint64_t face_colours_generation_ = 0;
    std::vector<rgb_triple> id_colors_;
    std::vector<GLuint> shown_;
    source shown_source_;
    // Every stride-th face of an array, kept while array and stride stay.
    template <class T> struct reduced_copy {
        std::vector<T> entries;
        source from;
        std::int32_t stride = 0;
    };
    template <class T>
    static const std::vector<T>& reduced(const std::vector<T>& all, const source& of,
                                         std::size_t run, std::int32_t stride,
                                         reduced_copy<T>& copy);
    reduced_copy<GLuint> reduced_edges_;
    reduced_copy<face_vertex> reduced_faces_;
    reduced_copy<rgb_triple> reduced_face_colours_;
};

// A face can be drawn when its three ids name points.
bool face_in_range(const triangle& face, std::size_t point_count);

} // namespace tessaline
