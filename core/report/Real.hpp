#pragma once

#include <iosfwd>

namespace Vantorn {

// A real number for the estimate's working and level lines: written in general
// notation with the stream's precision, through std::to_chars rather than the C
// runtime, so that Linux and Windows builds produce the same bytes (the MinGW
// runtime differs in exponent digits and rounding).
struct Real {
    double value;
};

std::ostream& operator<<(std::ostream& out, Real real);

}  // namespace Vantorn
