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
    if (format == std::chars_format::general && precision >= 1 && precision <= 15) {
        constexpr double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        char whole[24];
        if (char* end = wholeNumberChars(whole, value, powersOfTen[precision])) {
            return std::string(whole, static_cast<std::size_t>(end - whole));
        }
    }
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
