#include "import/number_formats.h"

#include <cctype>

namespace tessaline {

bool is_builtin_date_format(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

bool is_date_format_code(std::string_view code) {
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (c == '"') {
            std::size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos) return false;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i; // the next character is literal
        } else if (c == '[') {
            std::size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos) return false;
            std::string_view inside = code.substr(i + 1, close - i - 1);
            // [h], [mm], [ss]: elapsed time; [Red], [$-409], [>100]: not dates
            if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos)
                return true;
            i = close;
        } else if (c == ';') {
            return false; // the first section decides
        } else {
            switch (std::tolower(static_cast<unsigned char>(c))) {
            case 'd':
            case 'm':
            case 'y':
            case 'h':
            case 's':
                return true;
            default:
                break;
            }
        }
    }
    return false;
}

} // namespace tessaline
