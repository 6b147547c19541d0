// printf-style formatting of UTF-16 text into a bounded buffer, the same on
// every platform. Understands %d (int), %s (a UTF-16 text, const char16_t*)
// and %%; anything else is copied as it stands. The output is always
// terminated within `capacity` and cut when it does not fit.
#pragma once

#include <cstddef>

std::size_t FormatText(char16_t* out, std::size_t capacity, const char16_t* format, ...);
