#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace Vantorn {

// The largest string body a card may hold, in bytes.
constexpr std::uint32_t maxStringLength = 65536;

// Primitive readers of the card format, each on its own (the record readers use a
// CardReader, which adds where they are). Integers are little-endian; each throws
// IOException when the stream cannot supply all its bytes.
std::int32_t readInt32(std::istream& in);
std::uint16_t readInt16(std::istream& in);
std::uint8_t readByte(std::istream& in);
bool readBool(std::istream& in);

// A 32-bit length, then that many CP932 bytes; the text ends at the first zero byte.
std::string readString(std::istream& in);

}  // namespace Vantorn
