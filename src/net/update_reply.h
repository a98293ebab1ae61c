// Reading the update server's reply: whether it names another version than
// the running one.
#pragma once

#include <string>
#include <string_view>

namespace tessaline {

// True when the reply (text around the XML ignored) is XML whose document
// element has a child "version" whose "val" differs from program_version.
// False for an equal version and for anything that is not such a reply.
bool update_offer_needed(std::string_view reply, const std::string& program_version);

} // namespace tessaline
