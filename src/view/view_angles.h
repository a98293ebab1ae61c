// The camera turns of the fixed views: alpha about Z, then betta about X.
#pragma once

namespace tessaline {

struct view_angles {
    float alpha, betta;
};

inline constexpr view_angles default_view{315, 315};
inline constexpr view_angles top_view{0, 0};      // down the Z axis, X right, Y up
inline constexpr view_angles front_view{0, 270};  // along +Y, X right, Z up
inline constexpr view_angles side_view{270, 270}; // along -X, Y right, Z up

} // namespace tessaline
