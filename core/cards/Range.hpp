#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace Vantorn {

// The values a field may hold; checked by the reader once its record is read.
struct Range {
    std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    constexpr bool checked() const { return *this != Range{}; }
    constexpr bool holds(std::int32_t value) const { return value >= lowest && value <= highest; }
    constexpr bool operator!=(const Range& other) const {
        return lowest != other.lowest || highest != other.highest;
    }
    // "0..5", "0 and more"
    std::string text() const {
        return highest == std::numeric_limits<std::int32_t>::max() ? std::to_string(lowest) + " and more"
                                                                   : std::to_string(lowest) + ".." + std::to_string(highest);
    }
};

constexpr Range unbounded{};
constexpr Range nonNegative{0, std::numeric_limits<std::int32_t>::max()};

}  // namespace Vantorn
