#include "format/Stream.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "format/Errors.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::messageOf;

std::istringstream bytes(const std::string& data) {
    return std::istringstream(data, std::ios::binary);
}

TEST(StreamTest, IntegersAreLittleEndianAndSigned) {
    auto in = bytes(std::string("\x05\x00\x00\x00\xFB\xFF\xFF\xFF", 8));
    EXPECT_EQ(readInt32(in), 5);
    EXPECT_EQ(readInt32(in), -5);
    auto signature = bytes("BM");
    EXPECT_EQ(readInt16(signature), 0x4D42);
}

TEST(StreamTest, BytesAreUnsignedAndAnyNonZeroBoolIsTrue) {
    auto in = bytes(std::string("\xFF\x02\x00", 3));
    EXPECT_EQ(readByte(in), 255);
    EXPECT_TRUE(readBool(in));
    EXPECT_FALSE(readBool(in));
}

TEST(StreamTest, ShortReadsRaiseIOException) {
    auto twoOfFour = bytes(std::string("\x01\x02", 2));
    EXPECT_EQ(messageOf<IOException>([&] { readInt32(twoOfFour); }), "I/O例外");
    auto empty = bytes("");
    EXPECT_EQ(messageOf<IOException>([&] { readByte(empty); }), "I/O例外");
    auto inBody = bytes(std::string("\x05\x00\x00\x00" "AB", 6));
    EXPECT_EQ(messageOf<IOException>([&] { readString(inBody); }), "I/O例外");
}

TEST(StreamTest, StringEndsAtItsFirstZeroByteAndConsumesItsWholeBody) {
    auto in = bytes(std::string("\x03\x00\x00\x00" "A\x00" "B" "\x00\x00\x00\x00" "Z", 12));
    EXPECT_EQ(readString(in), "A");
    EXPECT_EQ(readString(in), "");
    EXPECT_EQ(readByte(in), 'Z');

    auto unterminated = bytes(std::string("\x02\x00\x00\x00" "AB", 6));
    EXPECT_EQ(readString(unterminated), "AB");
}

TEST(StreamTest, StringLengthIsBoundedBeforeAnyBodyIsRead) {
    std::string atBound = testing::Bytes().int32(65536).data + std::string(65536, 'x');
    auto accepted = bytes(atBound);
    EXPECT_EQ(readString(accepted).size(), 65536u);

    for (std::int32_t length : {65537, -1, static_cast<std::int32_t>(0x80000005)}) {
        auto in = bytes(testing::Bytes().int32(length).raw("rest").data);
        EXPECT_EQ(messageOf<FileCorruptException>([&] { readString(in); }), "ファイルが壊れています");
        EXPECT_EQ(readByte(in), 'r') << "no body byte may be consumed";
    }
}

}  // namespace
}  // namespace Vantorn
