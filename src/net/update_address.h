// The maker's addresses used by the update check, kept scrambled in the
// binary, and the host override for tests and packagers.
#pragma once

#include <QString>

#include <optional>

namespace tessaline {

// Base address of the maker's site (20 characters, no trailing slash).
QString site_address();

// The update server's host; TESSALINE_UPDATE_HOST ("host" or "host:port")
// overrides it, and an empty value turns the check off (no value returned).
std::optional<QString> update_host();

} // namespace tessaline
