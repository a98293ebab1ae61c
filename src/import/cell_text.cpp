#include "import/cell_text.h"

#include "graph/number_text.h"
#include "import/date_text.h"

#include <cmath>

namespace tessaline {

std::optional<std::string> value_text(const workbook_cell& cell, char decimal_separator) {
    switch (cell.kind) {
    case cell_kind::empty:
        return std::string();
    case cell_kind::text:
        return std::string(cell.text);
    case cell_kind::boolean:
        return cell.number != 0 ? "True" : "False";
    case cell_kind::date:
        if (std::string text = date_text(cell.number); !text.empty()) return text;
        [[fallthrough]];
    case cell_kind::number:
        return general_text(cell.number, decimal_separator);
    case cell_kind::error:
        break;
    }
    return std::nullopt;
}

std::string shown_text(const workbook_cell& cell, char decimal_separator) {
    if (cell.shown) return std::string(*cell.shown);
    if (cell.kind == cell_kind::boolean) return cell.number != 0 ? "TRUE" : "FALSE";
    if (cell.kind == cell_kind::error) return std::string(cell.text);
    return value_text(cell, decimal_separator).value_or(std::string());
}

font_attr to_font_attr(const workbook_font* font) {
    font_attr attr;
    if (!font) return attr;
    attr.color = font->color;
    attr.name = font->name;
    // Rounded half to even, as the automation servers convert sizes.
    attr.size = static_cast<std::int32_t>(std::nearbyint(font->size));
    attr.style =
        static_cast<std::uint8_t>((font->bold ? font_bold : 0) | (font->italic ? font_italic : 0) |
                                  (font->underline ? font_underline : 0));
    return attr;
}

} // namespace tessaline
