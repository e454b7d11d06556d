// Emscripten's C++ library lacks std::to_chars for double, which the writers use for
// locale-free numbers. These give the same text from the C library's exact printf:
// general and fixed notation as printf itself, the shortest form as the fewest digits
// that read back to the same double, in fixed or scientific notation, whichever is
// shorter (fixed on a tie). Force-included into every unit of the WebAssembly build.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <string>

namespace std {

inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
    const char* pattern = format == chars_format::fixed ? "%.*f" : format == chars_format::scientific ? "%.*e" : "%.*g";
    const int size = std::snprintf(nullptr, 0, pattern, precision, value);
    if (size < 0 || size > last - first) return {last, errc::value_too_large};
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern, precision, value);
    std::memcpy(first, text.data(), static_cast<std::size_t>(size));
    return {first + size, errc{}};
}

inline to_chars_result to_chars(char* first, char* last, double value) {
    std::string out;
    if (value == 0) {
        out = std::signbit(value) ? "-0" : "0";
    } else {
        char buffer[40];
        int digitsCount = 1;
        for (; digitsCount < 17; ++digitsCount) {
            std::snprintf(buffer, sizeof buffer, "%.*e", digitsCount - 1, value);
            if (std::strtod(buffer, nullptr) == value) break;
        }
        std::snprintf(buffer, sizeof buffer, "%.*e", digitsCount - 1, value);
        const bool negative = buffer[0] == '-';
        const char* p = buffer + (negative ? 1 : 0);
        std::string digits;
        for (; *p != 'e'; ++p)
            if (*p != '.') digits += *p;
        const int exponent = std::atoi(p + 1);
        const int n = static_cast<int>(digits.size());
        std::string scientific = digits.substr(0, 1) + (n > 1 ? "." + digits.substr(1) : "") + "e" +
                                 (exponent < 0 ? "-" : "+") + (std::abs(exponent) < 10 ? "0" : "") +
                                 std::to_string(std::abs(exponent));
        std::string fixed;
        if (exponent >= n - 1) fixed = digits + std::string(static_cast<std::size_t>(exponent - n + 1), '0');
        else if (exponent >= 0) fixed = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
        else fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        out = (negative ? "-" : "") + (scientific.size() < fixed.size() ? scientific : fixed);
    }
    if (static_cast<std::ptrdiff_t>(out.size()) > last - first) return {last, errc::value_too_large};
    std::memcpy(first, out.data(), out.size());
    return {first + out.size(), errc{}};
}

}  // namespace std
