#pragma once
#include <cstddef>
#include <string>
#include <string_view>
namespace Vantorn {
// True for a byte that starts a two-byte CP932 character: its next byte is the trail
// byte (which may be 0x5C or any other ASCII value) and belongs to it.
constexpr bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
// CP932 bytes -> UTF-8 / UTF-16. Every byte that starts no valid character becomes U+FFFD
// and decoding goes on with the NEXT byte (so a lead byte followed by a bad trail byte yields
// U+FFFD and the trail byte is then decoded on its own). Nothing after a bad byte is lost.
std::string cp932ToUtf8(std::string_view cp932);
// The same, appended to `out`.
void appendCp932AsUtf8(std::string& out, std::string_view cp932);
// The room writeCp932AsUtf8 needs for `size` bytes of CP932: three bytes a byte, and
// one more to store a whole character at a time.
constexpr std::size_t cp932Utf8Room(std::size_t size) { return 3 * size + 1; }
// The same written at `into`, which has cp932Utf8Room for it; returns where the text
// ends.
char* writeCp932AsUtf8(char* into, std::string_view cp932);
// The same up to the first byte a quoted string cannot hold as it is, a control byte
// (below 0x20), '"' or '\\', which is left unwritten. `used` is set to the bytes
// converted: the whole text when it holds no such byte, else the offset of that byte.
char* writeCp932AsUtf8UntilQuotable(char* into, std::string_view cp932, std::size_t& used);
// The same for a piece of a longer text: a last lead byte, still waiting for its trail
// byte, is left for the next piece. `used` is set to the bytes converted: the whole
// piece, or all of it but that byte.
char* writeCompleteCp932AsUtf8(char* into, std::string_view cp932, std::size_t& used);
std::u16string cp932ToUtf16(std::string_view cp932);
// UTF-8 / UTF-16 -> CP932. A character CP932 cannot hold (or an invalid UTF-8 / UTF-16 sequence)
// becomes '?'. If `exact` is not null it is set to false when that happened, true otherwise.
std::string utf8ToCp932(std::string_view utf8, bool* exact = nullptr);
std::string utf16ToCp932(std::u16string_view utf16, bool* exact = nullptr);
// UTF-8 <-> UTF-16; invalid sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool isUtf8(std::string_view bytes);
}
