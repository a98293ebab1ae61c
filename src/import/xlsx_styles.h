// The cell formats of an Office Open XML workbook (styles part, theme
// colours, indexed palette) turned into workbook fonts and fills, plus which
// formats show numbers as dates.
#pragma once

#include "import/workbook_model.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessaline {

struct xlsx_styles {
    // Per cell format index (the "s" of a cell): workbook format and date flag.
    std::vector<std::uint32_t> formats;
    std::vector<bool> dates;

    std::uint32_t format(std::uint32_t s) const { return s < formats.size() ? formats[s] : 0; }
    bool is_date(std::uint32_t s) const { return s < dates.size() && dates[s]; }
};

// `styles` and `theme` may be empty documents when the package has none.
xlsx_styles read_xlsx_styles(const pugi::xml_node& styles, const pugi::xml_node& theme,
                             workbook& book);

// 0x00BBGGRR of an OOXML colour element (rgb, indexed or theme with tint);
// `fallback` when it names none.
std::int32_t xlsx_color(const pugi::xml_node& color, const std::vector<std::int32_t>& palette,
                        const std::vector<std::int32_t>& theme, std::int32_t fallback);

} // namespace tessaline
