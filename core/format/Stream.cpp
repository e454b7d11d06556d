#include "format/Stream.hpp"

#include "format/CardReader.hpp"

namespace Vantorn {

std::int32_t readInt32(std::istream& in) { return CardReader(in).int32("value"); }
std::uint16_t readInt16(std::istream& in) { return CardReader(in).int16("value"); }
std::uint8_t readByte(std::istream& in) { return CardReader(in).byte("value"); }
bool readBool(std::istream& in) { return CardReader(in).boolean("value"); }
std::string readString(std::istream& in) { return CardReader(in).string("value"); }

}  // namespace Vantorn
