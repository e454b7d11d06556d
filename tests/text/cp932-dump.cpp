// Prints what the converter makes of every CP932 byte and byte pair, and what it
// encodes every BMP character to, for tools/cp932/check-table.py to compare with
// Python's codec:
//   S XX u...        decoding of the single byte XX (UTF-16 units, hex)
//   D XXYY u...      decoding of the pair XX YY
//   E UUUU XX[YY]    the code of U+UUUU; '-' when it has none
// Exits 1 if the UTF-8 and UTF-16 paths disagree.
#include "text/Cp932.hpp"

#include <cstdio>
#include <string>

namespace {

bool agree = true;

void decode(const char* tag, const std::string& bytes) {
    std::u16string units = Vantorn::cp932ToUtf16(bytes);
    if (Vantorn::cp932ToUtf8(bytes) != Vantorn::utf16ToUtf8(units))
        agree = false;
    std::printf("%s ", tag);
    for (unsigned char b : bytes)
        std::printf("%02X", b);
    for (char16_t u : units)
        std::printf(" %04X", static_cast<unsigned>(u));
    std::printf("\n");
}

}  // namespace

int main() {
    for (unsigned a = 0; a < 256; ++a)
        decode("S", std::string(1, static_cast<char>(a)));
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned b = 0; b < 256; ++b)
            decode("D", std::string{static_cast<char>(a), static_cast<char>(b)});
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        std::u16string unit(1, static_cast<char16_t>(c));
        bool exact = false, exact8 = false;
        std::string code = Vantorn::utf16ToCp932(unit, &exact);
        if (Vantorn::utf8ToCp932(Vantorn::utf16ToUtf8(unit), &exact8) != code || exact8 != exact)
            agree = false;
        std::printf("E %04X ", static_cast<unsigned>(c));
        if (!exact)
            std::printf("-");
        for (unsigned char b : code)
            if (exact)
                std::printf("%02X", b);
        std::printf("\n");
    }
    if (!agree)
        std::fprintf(stderr, "cp932-dump: the UTF-8 and UTF-16 paths disagree\n");
    return agree ? 0 : 1;
}
