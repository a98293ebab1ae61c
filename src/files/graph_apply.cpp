#include "graph_apply.h"

namespace tessaline {

void take_scene_units(Datafield& field, const graph_document& d) {
    field.scaling = d.scaling;
    field.limits_x = d.limits.x;
    field.limits_y = d.limits.y;
    field.limits_z = d.limits.z;
}

void apply_to_datafield(Datafield& field, const graph_read& read) {
    if (!read.ok()) return;
    const graph_document& d = read.document;
    // The scaling maps the points, so it comes before them.
    if (read.graph_loaded) {
        take_scene_units(field, d);
        field.load_graph(d.points, d.faces);
    }
    // Marks are rebuilt once both step triples are known; rebuilding places
    // them at zoom 1, and so does setting a caption, hence the zoom comes last.
    if (read.has(view_value::zoom_step_z)) {
        field.set_shift_marks_x(d.marks_step.x);
        field.set_shift_marks_y(d.marks_step.y);
        field.set_shift_marks_z(d.marks_step.z);
    }
    // Captions not read keep the texts of a fresh start.
    if (read.has(view_value::caption_x))
        field.set_captions(d.captions.x, d.captions.y, d.captions.z);
    if (read.has(view_value::caption_z)) {
        field.set_shift_scale_x(d.zoom_step.x);
        field.set_shift_scale_y(d.zoom_step.y);
        field.set_shift_scale_z(d.zoom_step.z);
    }
}

} // namespace tessaline
