#include "report/Real.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "json/JsonWriter.hpp"

namespace Vantorn {
namespace {

std::string written(double value, std::streamsize precision) {
    std::ostringstream out;
    out.precision(precision);
    out << Real{value};
    return out.str();
}

TEST(RealFormat, GeneralNotationDropsTrailingZeros) {
    EXPECT_EQ(written(2.0, 3), "2");
    EXPECT_EQ(written(-774.0, 3), "-774");
    EXPECT_EQ(written(-0.2857, 3), "-0.286");
    EXPECT_EQ(written(3.839, 3), "3.84");
    EXPECT_EQ(written(27.35, 4), "27.35");
    EXPECT_EQ(written(0.0001, 4), "0.0001");
}

TEST(RealFormat, ExponentHasAtLeastTwoDigitsOnEveryPlatform) {
    EXPECT_EQ(written(1e300, 4), "1e+300");
    EXPECT_EQ(written(1234567.0, 4), "1.235e+06");
    EXPECT_EQ(written(1234567.0, 3), "1.23e+06");
    EXPECT_EQ(written(-1.23456e-7, 4), "-1.235e-07");
    EXPECT_EQ(written(0.00001, 4), "1e-05");
    EXPECT_EQ(written(-2147483647.0, 4), "-2.147e+09");
}

TEST(RealFormat, RoundingCanCarryIntoExponentNotation) {
    EXPECT_EQ(written(999.95, 3), "1e+03");
    EXPECT_EQ(written(999.95, 4), "1000");
}

TEST(RealFormat, ExactTiesRoundToEven) {
    EXPECT_EQ(written(0.125, 2), "0.12");
    EXPECT_EQ(written(0.375, 2), "0.38");
    EXPECT_EQ(written(2.5, 1), "2");
    EXPECT_EQ(written(3.5, 1), "4");
    EXPECT_EQ(written(-1.125, 3), "-1.12");
}

TEST(RealFormat, LongPrecisionShowsTheExactBinaryValue) {
    EXPECT_EQ(written(0.1, 20), "0.10000000000000000555");
    const std::string exact = "0.1000000000000000055511151231257827021181583404541015625";
    EXPECT_EQ(written(0.1, 100), exact);
    EXPECT_EQ(written(0.1, 100000), exact);
}

TEST(RealFormat, WidthAndFillOfTheStreamApply) {
    std::ostringstream out;
    out.precision(4);
    out.fill('*');
    out.width(8);
    out << Real{-0.25} << '|';
    out.width(8);
    out << std::left << Real{-0.25} << '|' << Real{1.5};
    EXPECT_EQ(out.str(), "***-0.25|-0.25***|1.5");
}

std::string toChars(double value, int precision) {
    char digits[64];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general,
                                             precision).ptr);
}

std::string shortestJson(double value) {
    std::ostringstream out;
    JsonWriter(out).value(value);
    return out.str();
}

// Whole numbers take a way of their own past to_chars: it must give to_chars' bytes,
// at the bounds, on either side of them and for values that are not whole.
TEST(RealFormat, WholeNumbersAreWrittenAsToCharsWritesThem) {
    std::vector<double> values = {-0.0, 0.0, 0.5, -0.5, 9999.5, 99999.5, 1e15, -1e15, 1e15 - 1, 1e16, 4503599627370497.0,
                                  std::numeric_limits<double>::infinity(), std::nan("")};
    for (double whole = -100000; whole <= 100000; ++whole) values.push_back(whole);
    for (double power = 1; power <= 1e16; power *= 10) {
        for (double near : {power - 1, power, power + 1, power * 7 + 3}) {
            values.push_back(near);
            values.push_back(-near);
            values.push_back(std::nextafter(near, 0.0));
        }
    }
    for (double value : values) {
        for (int precision : {1, 2, 3, 4, 5, 6, 10, 15, 16}) {
            ASSERT_EQ(realText(value, std::chars_format::general, precision), toChars(value, precision))
                << value << " at precision " << precision;
        }
        char digits[64];
        const std::string shortest(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
        ASSERT_EQ(shortestJson(value), std::isfinite(value) ? shortest : "null") << value;
    }
}

}  // namespace
}  // namespace Vantorn
