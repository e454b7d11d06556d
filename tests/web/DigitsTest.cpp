// The WebAssembly build's number text against libstdc++'s std::to_chars, which the
// native build uses: the same bytes for every double, so the library and the
// console program write the same reports and JSON.
#include "compat/Digits.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

double fromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string text(std::to_chars_result written, const char* first) {
    EXPECT_EQ(written.ec, std::errc{});
    return std::string(first, static_cast<const char*>(written.ptr));
}

// Every failure names the value by its bits, so it can be reproduced.
void expectShortestAlike(const std::vector<double>& values) {
    int differences = 0;
    for (double value : values) {
        std::array<char, 400> native, compat;
        const std::string expected = text(std::to_chars(native.data(), native.data() + native.size(), value), native.data());
        const std::string actual =
            text(Vantorn::compat::shortestChars(compat.data(), compat.data() + compat.size(), value), compat.data());
        if (expected != actual && ++differences <= 10) {
            std::uint64_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            ADD_FAILURE() << std::hex << "0x" << bits << ": native " << expected << ", compat " << actual;
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(Digits, ShortestFormIsTheNativeOneForEveryKindOfDouble) {
    std::vector<double> values;
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 200000; ++i) {
        const double value = fromBits(random());
        if (!std::isnan(value)) values.push_back(value);
    }
    // Integers where the shortest digits stop being the exact ones: 2^53 up to 2^64.
    for (int power = 50; power <= 64; ++power) {
        const double base = std::ldexp(1.0, power);
        for (int step = -40; step <= 40; ++step) values.push_back(base + std::ldexp(double(step), power - 52));
        for (int i = 0; i < 2000; ++i) values.push_back(std::floor(base * (1 + std::ldexp(double(random() >> 12), -52))));
    }
    values.push_back(2305843036057240064.0);
    values.push_back(86963199532215904.0);
    // Subnormals, the smallest normals and the extremes.
    for (std::uint64_t bits = 1; bits < 5000; ++bits) values.push_back(fromBits(bits));
    for (int i = 0; i < 20000; ++i) values.push_back(fromBits(random() & 0x000fffffffffffffULL));
    for (std::uint64_t bits = 0x0010000000000000ULL - 100; bits < 0x0010000000000000ULL + 100; ++bits)
        values.push_back(fromBits(bits));
    values.push_back(std::numeric_limits<double>::max());
    values.push_back(std::numeric_limits<double>::lowest());
    // Powers of ten and their neighbours, and small multiples of them, where fixed and
    // scientific come out the same length (fixed wins the tie: 10000, not 1e+04).
    for (int power = -324; power <= 308; ++power) {
        const double ten = std::pow(10.0, power);
        values.push_back(ten);
        values.push_back(std::nextafter(ten, 0.0));
        values.push_back(std::nextafter(ten, HUGE_VAL));
        for (int multiple : {2, 5, 12, 125, 99999, 123456789}) values.push_back(multiple * ten);
    }
    // Halves and eighths: the two-decimal ties of the reports, in the shortest form too.
    for (int i = -2000; i <= 2000; ++i) values.push_back(i / 8.0);
    values.push_back(0.0);
    values.push_back(-0.0);
    values.push_back(HUGE_VAL);
    values.push_back(-HUGE_VAL);
    const std::size_t positives = values.size();
    for (std::size_t i = 0; i < positives; ++i) values.push_back(-values[i]);
    expectShortestAlike(values);
}

TEST(Digits, PrecisionFormsAndShortBuffersAreTheNativeOnes) {
    std::mt19937_64 random(7);
    std::vector<double> values = {0.0, -0.0, 1.125, 3.125, -0.125, 0.005, 2.675, 1e308, -1e308, 5e-324,
                                  2305843036057240064.0, std::numeric_limits<double>::max()};
    for (int i = 0; i < 10000; ++i) values.push_back(fromBits(random() & 0x7fefffffffffffffULL));
    for (int i = 0; i < 10000; ++i) values.push_back(std::ldexp(double(random() >> 11), -53 - 8 * (i % 4)) * 1000);
    // General notation is made from the shortest digits up to 15 of them: short
    // decimals, exact ties, sums that miss a decimal by an ulp, values that round up
    // into the next power of ten, integers that end in zeros.
    for (int i = 0; i < 20000; ++i) {
        const double scale = std::pow(10.0, static_cast<int>(random() % 8));
        const auto whole = static_cast<double>(static_cast<std::int64_t>(random() % 2000000) - 1000000);
        values.push_back(whole / scale);
        values.push_back((whole + 0.5) / scale);
        values.push_back(whole / scale + whole / scale / 3);
        values.push_back(std::pow(10.0, static_cast<int>(random() % 40) - 20) * (1 - 1e-4 * (random() % 3)));
        values.push_back(whole * std::pow(10.0, static_cast<int>(random() % 12)));
    }
    for (double value : {999.95, 9.9995, 0.00099995, 67050.0, 1e-5, -386.6000000000001, -167.80000000000004})
        values.push_back(value);
    std::vector<std::pair<std::chars_format, int>> forms = {
        {std::chars_format::fixed, 2}, {std::chars_format::fixed, 0}, {std::chars_format::scientific, 3}};
    for (int precision = 0; precision <= 17; ++precision) forms.emplace_back(std::chars_format::general, precision);
    int differences = 0;
    for (double value : values) {
        for (const auto& [format, precision] : forms) {
            std::array<char, 400> native, compat;
            const std::string expected = text(
                std::to_chars(native.data(), native.data() + native.size(), value, format, precision), native.data());
            const std::string actual = text(Vantorn::compat::precisionChars(compat.data(), compat.data() + compat.size(),
                                                                            value, format, precision),
                                            compat.data());
            if (expected != actual && ++differences <= 10)
                ADD_FAILURE() << std::hexfloat << value << " precision " << precision << ": native " << expected
                              << ", compat " << actual;
        }
    }
    EXPECT_EQ(differences, 0);

    // A buffer one byte short is refused whole, as the native one is.
    for (double value : {2305843036057240064.0, 0.1, -1e-300, 1e308}) {
        std::array<char, 400> buffer;
        const std::string full =
            text(Vantorn::compat::shortestChars(buffer.data(), buffer.data() + buffer.size(), value), buffer.data());
        const auto shortBy1 = Vantorn::compat::shortestChars(buffer.data(), buffer.data() + full.size() - 1, value);
        EXPECT_EQ(shortBy1.ec, std::errc::value_too_large) << full;
        EXPECT_EQ(shortBy1.ptr, buffer.data() + full.size() - 1);
        const auto fixedShort = Vantorn::compat::precisionChars(buffer.data(), buffer.data() + 10, value,
                                                                std::chars_format::fixed, 2);
        const auto nativeShort = std::to_chars(buffer.data(), buffer.data() + 10, value, std::chars_format::fixed, 2);
        EXPECT_EQ(fixedShort.ec, nativeShort.ec) << full;
    }
}

}  // namespace
