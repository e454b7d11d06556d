// fmt is compiled here once, header-only, and not in every unit of the build.
#define FMT_HEADER_ONLY
#include <fmt/format.h>

#include "Digits.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace Vantorn::compat {

namespace {

std::to_chars_result copied(char* first, char* last, const char* text, std::size_t size) {
    if (static_cast<std::ptrdiff_t>(size) > last - first) return {last, std::errc::value_too_large};
    std::memcpy(first, text, size);
    return {first + size, std::errc{}};
}

// The shortest digits that read back to |value| (finite, not zero), without trailing
// zeros: the value is 0.D x 10^decimalPoint.
struct ShortestDigits {
    char digits[24];
    int count = 0;
    int decimalPoint = 0;
};

ShortestDigits shortestDigits(double value) {
    // fmt's shortest digits, in whatever layout it chose: read back as D × 10^scale.
    char shortest[40];
    char* const end = fmt::format_to_n(shortest, sizeof shortest - 1, "{}", std::fabs(value)).out;
    *end = '\0';  // for atoi
    ShortestDigits found;
    int scale = 0;
    for (const char* p = shortest; p != end; ++p) {
        if (*p == 'e') {
            scale += std::atoi(p + 1);
            break;
        }
        if (*p == '.') {
            for (const char* q = p + 1; q != end && *q != 'e'; ++q) --scale;
        } else if (found.count > 0 || *p != '0') {
            found.digits[found.count++] = *p;
        }
    }
    while (found.count > 1 && found.digits[found.count - 1] == '0') {
        --found.count;
        ++scale;
    }
    found.decimalPoint = found.count + scale;
    return found;
}

// The layouts both forms share, at `out`; each returns where it ends. Scientific:
// d[.ddd]e±XX, the exponent of two digits at least, as every form writes it.
char* scientific(char* out, const char* digits, int count, int exponent) {
    *out++ = digits[0];
    if (count > 1) *out++ = '.';
    for (int i = 1; i < count; ++i) *out++ = digits[i];
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) *out++ = '0';
    return fmt::format_to(out, "{}", magnitude);
}

// A value below one, 0.D x 10^decimalPoint with decimalPoint <= 0: "0.", the zeros
// before the digits, the digits.
char* belowOne(char* out, const char* digits, int count, int decimalPoint) {
    *out++ = '0';
    *out++ = '.';
    for (int i = decimalPoint; i < 0; ++i) *out++ = '0';
    for (int i = 0; i < count; ++i) *out++ = digits[i];
    return out;
}

// printf's %.*g from the shortest digits, which cost a fraction of its exact rounding
// here. Rounding those digits gives the value's own rounding but where they stop
// exactly at a half past the precision: a shortest decimal lies nearer the value than
// any midpoint between them, or that midpoint would be as short and nearer; and from
// 15 digits down the shortest digits of a normal double are the rounded ones. False
// (printf decides) for such a half, for a double that is not normal, and for any other
// precision.
bool generalFromShortest(double value, int precision, char* text, std::size_t& size) {
    if (precision < 1 || precision > 15 || !std::isnormal(value)) return false;
    ShortestDigits shortest = shortestDigits(value);
    char* const digits = shortest.digits;
    int count = shortest.count;
    int exponent = shortest.decimalPoint - 1;  // the value is d.ddd x 10^exponent
    if (count > precision) {
        if (count == precision + 1 && digits[precision] == '5') return false;
        const bool up = digits[precision] >= '5';
        count = precision;
        if (up) {
            int i = count - 1;
            for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits[0] = '1';
                ++exponent;
            }
        }
        while (count > 1 && digits[count - 1] == '0') --count;
    }
    char* out = text;
    if (value < 0) *out++ = '-';
    if (exponent < -4 || exponent >= precision) {
        out = scientific(out, digits, count, exponent);
    } else if (exponent < 0) {
        out = belowOne(out, digits, count, exponent + 1);
    } else {
        for (int i = 0; i <= exponent; ++i) *out++ = i < count ? digits[i] : '0';
        if (count > exponent + 1) *out++ = '.';
        for (int i = exponent + 1; i < count; ++i) *out++ = digits[i];
    }
    size = static_cast<std::size_t>(out - text);
    return true;
}

}  // namespace

std::to_chars_result shortestChars(char* first, char* last, double value) {
    const bool negative = std::signbit(value);
    if (std::isnan(value)) return copied(first, last, negative ? "-nan" : "nan", negative ? 4 : 3);
    if (std::isinf(value)) return copied(first, last, negative ? "-inf" : "inf", negative ? 4 : 3);
    if (value == 0) return copied(first, last, negative ? "-0" : "0", negative ? 2 : 1);

    const ShortestDigits shortest = shortestDigits(value);
    const char* const digits = shortest.digits;
    const int count = shortest.count;
    const int decimalPoint = shortest.decimalPoint;  // the value is 0.D × 10^decimalPoint
    const int scientificExponent = decimalPoint - 1;

    const int absExponent = scientificExponent < 0 ? -scientificExponent : scientificExponent;
    const int scientificSize = count + (count > 1 ? 1 : 0) + 2 + (absExponent < 100 ? 2 : 3);
    int fixedSize;
    if (decimalPoint >= count) fixedSize = decimalPoint;  // an integer
    else if (decimalPoint > 0) fixedSize = count + 1;
    else fixedSize = 2 - decimalPoint + count;  // "0." and the zeros before the digits

    char text[340];
    char* out = text;
    if (negative) *out++ = '-';
    if (scientificSize < fixedSize) {
        out = scientific(out, digits, count, scientificExponent);
    } else if (decimalPoint >= count) {
        // The exact integer: every double this large is one.
        out = fmt::format_to(out, "{:.0f}", std::fabs(value));
    } else if (decimalPoint > 0) {
        for (int i = 0; i < count; ++i) {
            if (i == decimalPoint) *out++ = '.';
            *out++ = digits[i];
        }
    } else {
        out = belowOne(out, digits, count, decimalPoint);
    }
    return copied(first, last, text, static_cast<std::size_t>(out - text));
}

std::to_chars_result precisionChars(char* first, char* last, double value, std::chars_format format,
                                           int precision) {
    if (format == std::chars_format::general) {
        char text[32];
        std::size_t size = 0;
        if (generalFromShortest(value, precision, text, size)) return copied(first, last, text, size);
    }
    const char* pattern = format == std::chars_format::fixed        ? "%.*f"
                          : format == std::chars_format::scientific ? "%.*e"
                                                                    : "%.*g";
    char small[64];
    const int size = std::snprintf(small, sizeof small, pattern, precision, value);
    if (size < 0 || size > last - first) return {last, std::errc::value_too_large};
    if (static_cast<std::size_t>(size) < sizeof small) return copied(first, last, small, size);
    // Long fixed forms, up to 309 integral digits: written in place, with room for the NUL.
    char large[1200];
    if (static_cast<std::size_t>(size) >= sizeof large) return {last, std::errc::value_too_large};
    std::snprintf(large, sizeof large, pattern, precision, value);
    return copied(first, last, large, static_cast<std::size_t>(size));
}

}  // namespace Vantorn::compat
