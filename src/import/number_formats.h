// Number formats both Excel formats share: the built-in format table and the
// format codes, as far as telling whether a number shows as a date or time.
#pragma once

#include <string_view>

namespace tessaline {

// True for a number format code that shows a date or a time.
bool is_date_format_code(std::string_view code);
// True for a built-in format id (0-163, not stored in the file) that shows one.
bool is_builtin_date_format(int id);

} // namespace tessaline
