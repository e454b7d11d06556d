#include "format/Stream.hpp"

#include <algorithm>
#include <array>
#include <istream>

#include "format/Errors.hpp"

namespace Vantorn {
namespace {

template <std::size_t N>
std::array<unsigned char, N> readBytes(std::istream& in) {
    std::array<unsigned char, N> bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), N);
    if (!in) {
        throw IOException();
    }
    return bytes;
}

}  // namespace

std::int32_t readInt32(std::istream& in) {
    const auto b = readBytes<4>(in);
    const std::uint32_t value = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                                std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    return static_cast<std::int32_t>(value);
}

std::uint16_t readInt16(std::istream& in) {
    const auto b = readBytes<2>(in);
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint8_t readByte(std::istream& in) {
    return readBytes<1>(in)[0];
}

bool readBool(std::istream& in) {
    return readByte(in) != 0;
}

std::string readString(std::istream& in) {
    const auto length = static_cast<std::uint32_t>(readInt32(in));
    if (length > maxStringLength) {
        throw FileCorruptException();
    }
    std::string body(length, '\0');
    in.read(body.data(), static_cast<std::streamsize>(length));
    if (!in) {
        throw IOException();
    }
    body.erase(std::find(body.begin(), body.end(), '\0'), body.end());
    return body;
}

}  // namespace Vantorn
