#include "report/Real.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <ostream>
#include <string_view>

namespace Vantorn {
namespace {

// No double has more than 767 significant decimal digits and general notation drops
// trailing zeros, so a larger precision could not change a single byte.
constexpr std::streamsize largestUsefulPrecision = 800;
// Sign, point, and an exponent such as "e-308", around the digits.
constexpr std::size_t bufferSize = largestUsefulPrecision + 16;

}  // namespace

std::string realText(double value, std::chars_format format, int precision) {
    // Enough for a double's 309 integral digits too, in fixed notation.
    std::array<char, bufferSize + 320> digits;
    const std::to_chars_result written =
        std::to_chars(digits.data(), digits.data() + digits.size(), value, format,
                      std::min(precision, static_cast<int>(largestUsefulPrecision)));
    return std::string(digits.data(), written.ptr);
}

std::ostream& operator<<(std::ostream& out, Real real) {
    std::streamsize precision = out.precision();
    if (precision < 0) {
        precision = 6;  // what a stream's own number output does with it
    }
    precision = std::min(precision, largestUsefulPrecision);
    // Inserted as text, so a width and fill set by the caller still apply.
    return out << realText(real.value, std::chars_format::general, static_cast<int>(precision));
}

std::string twoDecimals(double value) {
    std::string text = realText(value, std::chars_format::fixed, 2);
    if (text == "-0.00") text.erase(0, 1);
    return text;
}

}  // namespace Vantorn
