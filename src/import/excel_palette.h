// The colour palette both Excel formats index: eight fixed colours, 56 that a
// workbook may replace, and the system text and window colours.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaline {

// 0xRRGGBB to 0x00BBGGRR.
std::int32_t bgr_from_rgb(std::uint32_t rgb);

// Entries 0-65 as 0x00BBGGRR, before a workbook changes any.
std::vector<std::int32_t> excel_default_palette();

} // namespace tessaline
