// Who made the program and which version it is: the names the window caption,
// the settings store, the About window and graph files show.
#pragma once

#include <QString>

namespace tessaline {

QString product_name();
QString company_name();
QString program_version();
// The maker's web site, kept scrambled in the binary so that a plain search of
// the file does not turn it up.
QString site_address();

} // namespace tessaline
