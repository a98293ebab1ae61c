// Who made the program and which version it is: the names the window caption,
// the settings store, the About window and graph files show. The maker's site
// comes with the update check (net/update_address.h).
#pragma once

#include <QString>

namespace tessaline::product {

QString name();
QString company();
// From the build's project version.
QString version();

} // namespace tessaline::product
