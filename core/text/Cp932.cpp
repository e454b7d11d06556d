#include "text/Cp932.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace Vantorn {
namespace {

struct EncodePair {
    std::uint16_t unicode;
    std::uint16_t code;  // below 0x100: one byte, else lead << 8 | trail
};

#include "Cp932Table.inc"

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0xFFFFFFFF;  // never a character: marks a bad sequence

// Calls ascii(run) for each run of ASCII, which is most of a report line and is
// the same in every output, and emit(character) for the others; all characters
// lie in the BMP, so one UTF-16 unit each.
template <typename Ascii, typename Emit>
void decodeCp932(std::string_view in, Ascii ascii, Emit emit) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    while (p != end) {
        unsigned b = *p;
        if (b < 0x80) {
            const auto* run = p;
            while (++p != end && *p < 0x80) {
            }
            ascii(std::string_view(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run)));
            continue;
        }
        std::uint16_t c = kSingle[b];
        if (c != kLead) {
            emit(static_cast<char16_t>(c));
            ++p;
            continue;
        }
        // A bad pair gives up only the lead byte: the trail byte may start a
        // character of its own, and losing it would shift what follows.
        c = 0;
        if (end - p >= 2 && p[1] >= 0x40 && kLeadRow[b] != 0)
            c = kDouble[kLeadRow[b] - 1][p[1] - 0x40];
        if (c != 0) {
            emit(static_cast<char16_t>(c));
            p += 2;
        } else {
            emit(static_cast<char16_t>(kReplacement));
            ++p;
        }
    }
}

}  // namespace

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (c >> 10));
        out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
}

// Reads one UTF-8 character and advances `p`. A bad sequence yields kInvalid
// after consuming its longest valid-so-far prefix (at least one byte), so each
// broken sequence is replaced once and the byte that broke it is read afresh.
char32_t readUtf8(const unsigned char*& p, const unsigned char* end) {
    unsigned b = *p++;
    if (b < 0x80)
        return b;
    int more;
    char32_t c;
    unsigned lo = 0x80, hi = 0xBF;  // range of the next byte; narrower after some leads
    if (b >= 0xC2 && b <= 0xDF) {
        more = 1;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        more = 2;
        c = b & 0x0F;
        if (b == 0xE0) lo = 0xA0;       // overlong
        if (b == 0xED) hi = 0x9F;       // surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        more = 3;
        c = b & 0x07;
        if (b == 0xF0) lo = 0x90;       // overlong
        if (b == 0xF4) hi = 0x8F;       // beyond U+10FFFF
    } else {
        return kInvalid;
    }
    for (; more > 0; --more) {
        if (p == end || *p < lo || *p > hi)
            return kInvalid;
        c = (c << 6) | (*p++ & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    return c;
}

template <typename Emit>
void decodeUtf8(std::string_view in, Emit emit) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    while (p != end)
        emit(readUtf8(p, end));
}

// Lone surrogates yield kInvalid.
template <typename Emit>
void decodeUtf16(std::u16string_view in, Emit emit) {
    for (std::size_t i = 0; i < in.size(); ++i) {
        char32_t u = in[i];
        if (u < 0xD800 || u > 0xDFFF) {
            emit(u);
        } else if (u <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            emit(0x10000 + ((u - 0xD800) << 10) + (in[i + 1] - 0xDC00));
            ++i;
        } else {
            emit(kInvalid);
        }
    }
}

// Appends the CP932 code of `c`; false (and '?') when there is none.
bool appendCp932(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return true;
    }
    if (c <= 0xFFFF) {
        const auto* last = std::end(kEncode);
        const auto* it = std::lower_bound(std::begin(kEncode), last, c,
            [](const EncodePair& e, char32_t u) { return e.unicode < u; });
        if (it != last && it->unicode == c) {
            if (it->code > 0xFF)
                out += static_cast<char>(it->code >> 8);
            out += static_cast<char>(it->code & 0xFF);
            return true;
        }
    }
    out += '?';
    return false;
}

}  // namespace

// The hottest conversion (every JSON text): decodeCp932's steps in one plain loop, each
// byte written as it is decoded.
namespace {

// A character in UTF-8: its bytes, and how many there are (0: none, a lead byte). Four
// bytes, so that one store writes it whole.
struct Utf8Char {
    char bytes[3];
    std::uint8_t size;
};
static_assert(sizeof(Utf8Char) == 4 && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "an entry is read as one little-endian word");

// The tables above in UTF-8, worked out once, when the program is built.
constexpr Utf8Char utf8Char(char32_t c) {
    if (c < 0x80) return {{static_cast<char>(c), 0, 0}, 1};
    if (c < 0x800) return {{static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F)), 0}, 2};
    return {{static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
             static_cast<char>(0x80 | (c & 0x3F))},
            3};
}
constexpr Utf8Char kNoUtf8{{0, 0, 0}, 0};
constexpr Utf8Char kReplacementUtf8 = utf8Char(kReplacement);

constexpr auto kSingleUtf8 = [] {
    std::array<Utf8Char, 256> table{};
    for (std::size_t b = 0; b < table.size(); ++b) table[b] = kSingle[b] == kLead ? kNoUtf8 : utf8Char(kSingle[b]);
    return table;
}();

// By lead byte's row and the whole trail byte: row 0, and trails below those of the
// table, hold no character, so that a pair takes one look.
constexpr std::size_t kRows = std::size(kDouble);
constexpr std::size_t kTrails = std::size(kDouble[0]);
constexpr std::size_t kFirstTrail = 0x100 - kTrails;
constexpr auto kDoubleUtf8 = [] {
    std::array<std::array<Utf8Char, 0x100>, kRows + 1> table{};
    for (std::size_t row = 0; row < kRows; ++row) {
        for (std::size_t trail = 0; trail < kTrails; ++trail) {
            const std::uint16_t c = kDouble[row][trail];
            table[row + 1][kFirstTrail + trail] = c == 0 ? kNoUtf8 : utf8Char(c);
        }
    }
    return table;
}();

// The row of kDoubleUtf8 for each lead byte, found with one look: row 0 for a byte
// that leads nothing.
constexpr auto kPairRow = [] {
    std::array<const Utf8Char*, 256> rows{};
    for (std::size_t b = 0; b < rows.size(); ++b) rows[b] = kDoubleUtf8[kLeadRow[b]].data();
    return rows;
}();

constexpr bool isQuotable(unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; }

// Whether any of eight ASCII bytes is below 0x20, '"' or '\\'.
constexpr bool anyQuotable(std::uint64_t eight) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const auto anyZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    return ((eight - 0x20 * ones) & ~eight & highs) | anyZero(eight ^ ('"' * ones)) |
           anyZero(eight ^ ('\\' * ones));
}

// With StopAtQuotable, the first quotable byte is left unconverted and `from` stops at
// it: only ASCII bytes can be quotable, every byte of a longer character is 0x80 or
// above. With HoldLastLead, a lead byte that ends the text is left unconverted and
// `from` stops before it.
template <bool StopAtQuotable, bool HoldLastLead>
char* writeUtf8(char* into, const unsigned char*& from, const unsigned char* const end) {
    // A local copy: a store through a char pointer could otherwise alias `from`, which
    // would be reloaded at every character.
    const unsigned char* p = from;
    char* q = into;
    // An entry read as one little-endian word has its size in the top byte.
    constexpr std::uint32_t kSizeUnit = 1u << 24;
    const unsigned char* const lastPairStart = p == end ? end : end - 1;
    while (p != end) {
        if (*p < 0x80) {
            // A run of ASCII, eight bytes at a time: keys, numbers and paths mostly are.
            constexpr std::uint64_t highBits = 0x8080808080808080ull;
            for (std::uint64_t eight; end - p >= 8; p += 8, q += 8) {
                std::memcpy(&eight, p, 8);
                if (eight & highBits) break;
                if (StopAtQuotable && anyQuotable(eight)) break;
                std::memcpy(q, p, 8);
            }
            for (; p != end && *p < 0x80; ++p) {
                if (StopAtQuotable && isQuotable(*p)) {
                    from = p;
                    return q;
                }
                *q++ = static_cast<char>(*p);
            }
            continue;
        }
        // A run of two-byte characters, most of a Japanese text: one look each. Row 0
        // holds no character, so any other byte ends the run.
        for (; p < lastPairStart; p += 2) {
            std::uint32_t pair;
            std::memcpy(&pair, kPairRow[p[0]] + p[1], sizeof pair);
            if (pair < kSizeUnit) break;
            std::memcpy(q, &pair, sizeof pair);
            q += pair / kSizeUnit;
        }
        if (p == end) break;
        if (*p < 0x80) continue;
        const unsigned b = *p++;
        Utf8Char utf8 = kSingleUtf8[b];
        if (utf8.size == 0) {
            if (HoldLastLead && p == end) {
                --p;
                break;
            }
            utf8 = p != end ? kDoubleUtf8[kLeadRow[b]][*p] : kNoUtf8;
            if (utf8.size != 0) {
                ++p;
            } else {
                utf8 = kReplacementUtf8;  // the lead byte alone: the next byte is decoded on its own
            }
        }
        // Four bytes always stored, as many kept: the caller leaves room for them.
        std::memcpy(q, &utf8, sizeof utf8);
        q += utf8.size;
    }
    from = p;
    return q;
}

const unsigned char* bytesOf(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

// writeUtf8 over a whole text, with `used` set to the bytes it converted.
template <bool StopAtQuotable, bool HoldLastLead>
char* writeUtf8Of(char* into, std::string_view cp932, std::size_t& used) {
    const unsigned char* const begin = bytesOf(cp932);
    const unsigned char* p = begin;
    char* const end = writeUtf8<StopAtQuotable, HoldLastLead>(into, p, begin + cp932.size());
    used = static_cast<std::size_t>(p - begin);
    return end;
}

}  // namespace

char* writeCp932AsUtf8(char* into, std::string_view cp932) {
    std::size_t used = 0;
    return writeUtf8Of<false, false>(into, cp932, used);
}

char* writeCp932AsUtf8UntilQuotable(char* into, std::string_view cp932, std::size_t& used) {
    return writeUtf8Of<true, false>(into, cp932, used);
}

char* writeCompleteCp932AsUtf8(char* into, std::string_view cp932, std::size_t& used) {
    return writeUtf8Of<false, true>(into, cp932, used);
}

void appendCp932AsUtf8(std::string& out, std::string_view cp932) {
    // Written in place: one byte of CP932 never takes more than three of UTF-8.
    const std::size_t start = out.size();
    out.resize(start + cp932Utf8Room(cp932.size()));
    char* end = writeCp932AsUtf8(out.data() + start, cp932);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string cp932ToUtf8(std::string_view cp932) {
    std::string out;
    appendCp932AsUtf8(out, cp932);
    return out;
}

std::u16string cp932ToUtf16(std::string_view cp932) {
    std::u16string out;
    out.reserve(cp932.size());
    decodeCp932(
        cp932, [&out](std::string_view run) { out.append(run.begin(), run.end()); },
        [&out](char16_t c) { out += c; });
    return out;
}

std::string utf8ToCp932(std::string_view utf8, bool* exact) {
    std::string out;
    out.reserve(utf8.size());
    bool all = true;
    decodeUtf8(utf8, [&](char32_t c) { all &= appendCp932(out, c); });
    if (exact)
        *exact = all;
    return out;
}

std::string utf16ToCp932(std::u16string_view utf16, bool* exact) {
    std::string out;
    out.reserve(utf16.size() * 2);
    bool all = true;
    decodeUtf16(utf16, [&](char32_t c) { all &= appendCp932(out, c); });
    if (exact)
        *exact = all;
    return out;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    decodeUtf8(utf8, [&out](char32_t c) { appendUtf16(out, c == kInvalid ? kReplacement : c); });
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    decodeUtf16(utf16, [&out](char32_t c) { appendUtf8(out, c == kInvalid ? kReplacement : c); });
    return out;
}

bool isUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p != end)
        if (readUtf8(p, end) == kInvalid)
            return false;
    return true;
}

}  // namespace Vantorn
