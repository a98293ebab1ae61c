// Whether this build runs under AddressSanitizer, which reserves terabytes of
// shadow address space: a limit on the address space cannot be set under it.
#pragma once

namespace tessaline {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool address_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool address_sanitizer = true;
#else
inline constexpr bool address_sanitizer = false;
#endif
#else
inline constexpr bool address_sanitizer = false;
#endif

} // namespace tessaline
