#pragma once

// True in the build made with AddressSanitizer (make check-sanitize), where timings and
// descriptor counts are the sanitizers' rather than the program's.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kBuiltWithSanitizers = true;
#else
inline constexpr bool kBuiltWithSanitizers = false;
#endif
