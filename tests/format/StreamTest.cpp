#include "format/CardReader.hpp"

#include <gtest/gtest.h>

#include "format/Errors.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::messageOf;

// The primitive reads, each under the name the listing would give its field.
std::int32_t readInt32(CardReader& in) { return in.int32("value"); }
std::uint16_t readInt16(CardReader& in) { return in.int16("value"); }
std::uint8_t readByte(CardReader& in) { return in.byte("value"); }
bool readBool(CardReader& in) { return in.boolean("value"); }
std::string readString(CardReader& in) { return in.string("value"); }

TEST(StreamTest, IntegersAreLittleEndianAndSigned) {
    CardReader in(std::string_view("\x05\x00\x00\x00\xFB\xFF\xFF\xFF", 8));
    EXPECT_EQ(readInt32(in), 5);
    EXPECT_EQ(readInt32(in), -5);
    CardReader signature("BM");
    EXPECT_EQ(readInt16(signature), 0x4D42);
}

TEST(StreamTest, BytesAreUnsignedAndAnyNonZeroBoolIsTrue) {
    CardReader in(std::string_view("\xFF\x02\x00", 3));
    EXPECT_EQ(readByte(in), 255);
    EXPECT_TRUE(readBool(in));
    EXPECT_FALSE(readBool(in));
}

TEST(StreamTest, ShortReadsRaiseIOException) {
    CardReader twoOfFour(std::string_view("\x01\x02", 2));
    EXPECT_EQ(messageOf<IOException>([&] { readInt32(twoOfFour); }), "I/O例外");
    CardReader empty("");
    EXPECT_EQ(messageOf<IOException>([&] { readByte(empty); }), "I/O例外");
    CardReader inBody(std::string_view("\x05\x00\x00\x00" "AB", 6));
    EXPECT_EQ(messageOf<IOException>([&] { readString(inBody); }), "I/O例外");
}

TEST(StreamTest, StringEndsAtItsFirstZeroByteAndConsumesItsWholeBody) {
    CardReader in(std::string_view("\x03\x00\x00\x00" "A\x00" "B" "\x00\x00\x00\x00" "Z", 12));
    EXPECT_EQ(readString(in), "A");
    EXPECT_EQ(readString(in), "");
    EXPECT_EQ(readByte(in), 'Z');

    CardReader unterminated(std::string_view("\x02\x00\x00\x00" "AB", 6));
    EXPECT_EQ(readString(unterminated), "AB");
}

TEST(StreamTest, StringLengthIsBoundedBeforeAnyBodyIsRead) {
    const std::string atBound = testing::Bytes().int32(65536).data + std::string(65536, 'x');
    CardReader accepted(atBound);
    EXPECT_EQ(readString(accepted).size(), 65536u);

    for (std::int32_t length : {65537, -1, static_cast<std::int32_t>(0x80000005)}) {
        const std::string inBytes = testing::Bytes().int32(length).raw("rest").data;
        CardReader in(inBytes);
        EXPECT_EQ(messageOf<FileCorruptException>([&] { readString(in); }), "ファイルが壊れています");
        EXPECT_EQ(readByte(in), 'r') << "no body byte may be consumed";
    }
}

}  // namespace
}  // namespace Vantorn
