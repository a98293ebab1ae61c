// Puts a read graph file into a data field the way opening it does: the graph
// when its block was read, then the interval shifts, captions and zoom steps
// of the marks, in the reader's order and as far as the view was read.
#pragma once

#include "files/graph_reader.h"
#include "graph/datafield.h"

namespace tessaline {

void apply_to_datafield(Datafield& field, const graph_read& read);

// The state that shapes the scene units (scaling, axis limits), set before a
// load of the document's points.
void take_scene_units(Datafield& field, const graph_document& d);

} // namespace tessaline
