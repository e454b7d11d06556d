// Numbers as libstdc++'s std::to_chars(double) writes them, for a C++ library that
// lacks it. The shortest digits that read back to the same double come from fmt
// (header-only), the layout from the rules of the native library: fixed or
// scientific, whichever is shorter, fixed on a tie; a fixed integer is written with
// its exact digits, not the shortest ones padded with zeros. The precision forms
// are printf's, which is exact in every C library we build with.
#pragma once

#include <charconv>

namespace Vantorn::compat {

// std::to_chars(first, last, value): the shortest form.
std::to_chars_result shortestChars(char* first, char* last, double value);
// std::to_chars(first, last, value, format, precision).
std::to_chars_result precisionChars(char* first, char* last, double value, std::chars_format format, int precision);

}  // namespace Vantorn::compat
