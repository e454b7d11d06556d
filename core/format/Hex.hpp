#pragma once

#include <cstdint>
#include <string>

namespace Vantorn {

// Upper-case hexadecimal digits of a value, at least `digits` of them, no prefix.
inline std::string hex(std::uint64_t value, int digits = 4) {
    static constexpr char symbols[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), symbols[value & 0xF]);
        value >>= 4;
    } while (value != 0 || static_cast<int>(out.size()) < digits);
    return out;
}

}  // namespace Vantorn
