#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace Vantorn {

// A real number for the estimate's working and level lines: written in general
// notation with the stream's precision, through std::to_chars rather than the C
// runtime, so that Linux and Windows builds produce the same bytes (the MinGW
// runtime differs in exponent digits and rounding).
struct Real {
    double value;
};

std::ostream& operator<<(std::ostream& out, Real real);

// The one way a real becomes digits in every output: std::to_chars in the notation
// and precision given (a precision past a double's 767 significant digits changes
// nothing). An exact tie rounds to even, as the level line's 1.125 gives "1.12".
std::string realText(double value, std::chars_format format, int precision);

// A double that is a whole number of magnitude below `bound` (at most 1e15), written at
// `into` as its integer's digits, "-0" for negative zero; null when it is not one, and
// nothing written. Below 10^p that is what to_chars writes in general notation with
// precision p, and below 1e5 in the shortest form. Most of the estimate's numbers are
// such, and to_chars takes some hundreds of instructions over each. Needs 21 bytes.
inline char* wholeNumberChars(char* into, double value, double bound) {
    const double size = std::fabs(value);
    if (!(size < bound)) return nullptr;  // NaN too
    const auto whole = static_cast<std::int64_t>(size);
    if (static_cast<double>(whole) != size) return nullptr;
    if (std::signbit(value)) *into++ = '-';
    return std::to_chars(into, into + 20, whole).ptr;
}

// Two decimals, as the summary, its CSV, JSON texts, HTML page and the window's list
// write a level or a difference: realText's rounding, and "-0.00" never.
std::string twoDecimals(double value);

}  // namespace Vantorn
