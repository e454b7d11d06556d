// Emscripten's C++ library lacks std::to_chars for double, which the writers use for
// locale-free numbers: these give libstdc++'s text (web/compat/Digits.hpp), so the
// library writes the native program's bytes. Force-included into every unit of the
// WebAssembly build.
#pragma once

#include "Digits.hpp"

namespace std {

inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
    return Vantorn::compat::precisionChars(first, last, value, format, precision);
}

inline to_chars_result to_chars(char* first, char* last, double value) {
    return Vantorn::compat::shortestChars(first, last, value);
}

}  // namespace std
