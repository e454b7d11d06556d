#pragma once

#include <charconv>
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

// Two decimals, as the summary, its CSV, JSON texts, HTML page and the window's list
// write a level or a difference: realText's rounding, and "-0.00" never.
std::string twoDecimals(double value);

}  // namespace Vantorn
