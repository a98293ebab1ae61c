#include "framing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessaline {

float framing_radius(const framing_input& in) {
    // The axes with their arrow heads and the start of the captions; mark
    // labels may stand a little beyond, which the margin takes.
    constexpr double reach = 1.25;
    constexpr double margin = 1.04;
    const double box[3] = {reach * in.axis_scale_x, reach * in.axis_scale_y,
                           reach * in.axis_scale_z};
    const double aspect = in.aspect > 0 && std::isfinite(in.aspect) ? in.aspect : 1;
    const double ty = std::tan(in.fov * std::numbers::pi / 360), tx = ty * aspect;
    const double a = in.angles.alpha * std::numbers::pi / 180;
    const double b = in.angles.betta * std::numbers::pi / 180;
    double needed = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const double x = (corner & 1 ? 1 : -1) * box[0], y = (corner & 2 ? 1 : -1) * box[1],
                     z = (corner & 4 ? 1 : -1) * box[2];
        // As the camera turns the scene: about Z by alpha, then about X by betta.
        const double x1 = x * std::cos(a) - y * std::sin(a);
        const double y1 = x * std::sin(a) + y * std::cos(a);
        const double y2 = y1 * std::cos(b) - z * std::sin(b);
        const double z2 = y1 * std::sin(b) + z * std::cos(b);
        // In perspective a corner nearer the eye needs more distance; in
        // parallel projection only its offset from the centre counts.
        const double towards_eye = in.orthographic ? 0 : z2;
        needed =
            std::max({needed, towards_eye + std::fabs(x1) / tx, towards_eye + std::fabs(y2) / ty});
    }
    return static_cast<float>(std::clamp(needed * margin, 0.2, 300.0));
}

} // namespace tessaline
