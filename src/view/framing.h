// How far the camera must stand for the axes and the graph to fill the view:
// plain geometry of the scene's box under the camera turns, no GL.
#pragma once

#include "view_angles.h"

namespace tessaline {

struct framing_input {
    view_angles angles;
    float axis_scale_x = 1, axis_scale_y = 1, axis_scale_z = 1;
    float fov = 15;    // vertical, degrees
    double aspect = 1; // width / height
    bool orthographic = false;
};

// The camera radius at which the whole box fits, within the radius' range.
float framing_radius(const framing_input& in);

} // namespace tessaline
