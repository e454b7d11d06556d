// The whole table is compared with Python's codec by cp932_table_matches_python;
// these cases pin the choices that a table alone does not show.
#include "text/Cp932.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <sstream>

#include "text/Utf8Buffer.hpp"

using namespace Vantorn;

// Where Shift_JIS and CP932 part ways, plus the user-defined area and an IBM
// extension kanji whose trail byte is 0x5C.
TEST(Cp932, DecodesTheCp932SideAndEncodesBack) {
    struct Case { const char* cp932; const char16_t* unicode; const char* encoded; };
    const Case cases[] = {
        {"\x81\x60", u"\uFF5E", "\x81\x60"},  // FULLWIDTH TILDE, not WAVE DASH
        {"\x81\x61", u"\u2225", "\x81\x61"},  // PARALLEL TO, not DOUBLE VERTICAL LINE
        {"\x81\x7C", u"\uFF0D", "\x81\x7C"},  // FULLWIDTH HYPHEN-MINUS, not MINUS SIGN
        {"\x81\x91", u"\uFFE0", "\x81\x91"},
        {"\x81\x92", u"\uFFE1", "\x81\x92"},
        {"\x81\xCA", u"\uFFE2", "\x81\xCA"},  // also at 0xEEF9 and 0xFA54
        {"\x81\x5F", u"\uFF3C", "\x81\x5F"},
        {"\x5C\x7E", u"\\~", "\x5C\x7E"},     // ASCII, not YEN SIGN and OVERLINE
        {"\xF0\x40", u"\uE000", "\xF0\x40"},
        {"\xF9\xFC", u"\uE757", "\xF9\xFC"},
        {"\xFA\x5C", u"\u7E8A", "\xED\x40"},  // the lower of its two codes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cp932);
        std::u16string decoded = cp932ToUtf16(c.cp932);
        EXPECT_EQ(decoded, c.unicode);
        EXPECT_EQ(cp932ToUtf8(c.cp932), utf16ToUtf8(decoded));
        bool exact = false;
        EXPECT_EQ(utf16ToCp932(decoded, &exact), c.encoded);
        EXPECT_TRUE(exact);
    }
}

TEST(Cp932, EachBadByteBecomesOneReplacementAndTheRestSurvives) {
    EXPECT_EQ(cp932ToUtf16("A\x81"), u"A\uFFFD");              // lone lead byte at the end
    EXPECT_EQ(cp932ToUtf16("\x81\x7F" "A"), u"\uFFFD\x7F" "A");  // 0x7F is no trail byte
    EXPECT_EQ(cp932ToUtf16("\x81\xAD"), u"\uFFFD\uFF6D");      // unassigned pair: 0xAD read alone
    EXPECT_EQ(cp932ToUtf16("\x85\x81\x40"), u"\uFFFD\u3000");  // a lead byte that starts nothing
    EXPECT_EQ(cp932ToUtf16("\x80\xA0\xFD\xFE\xFF"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
    EXPECT_EQ(cp932ToUtf8("\xEB\x40\xB1"), u8"\uFFFD@\uFF71");
}

// The UTF-8 writer has tables and an ASCII fast path of its own: it must agree with
// the UTF-16 decoder on every pair of bytes, alone, after a long run of ASCII and at
// the end of a text.
// The writers JSON and the UTF-8 output use, against the plain decoder: whole, up to
// the first byte a quoted string cannot hold, and a piece at a time.
TEST(Cp932, Utf8WritersAgreeWithTheDecoderOnEveryPair) {
    const std::string ascii = "0123456789abcdefX";
    const auto firstQuotable = [](const std::string& utf8) {
        return std::find_if(utf8.begin(), utf8.end(), [](char c) { return (c >= 0 && c < 0x20) || c == '"' || c == '\\'; }) -
               utf8.begin();
    };
    std::string out;
    std::string until;
    for (unsigned first = 0; first < 0x100; ++first) {
        for (unsigned second = 0; second < 0x100; ++second) {
            const std::string pair{static_cast<char>(first), static_cast<char>(second)};
            const std::string twice = pair + pair;
            for (const std::string& text : {pair, twice, ascii + pair, pair + ascii, pair.substr(0, 1) + ascii,
                                            "\"" + twice.substr(1)}) {
                const std::string expected = utf16ToUtf8(cp932ToUtf16(text));
                out.assign(cp932Utf8Room(text.size()), '\0');
                out.resize(static_cast<std::size_t>(writeCp932AsUtf8(out.data(), text) - out.data()));
                until.assign(cp932Utf8Room(text.size()), '\0');
                std::size_t stop = 0;
                until.resize(static_cast<std::size_t>(writeCp932AsUtf8UntilQuotable(until.data(), text, stop) -
                                                      until.data()));
                const auto quotableAt = static_cast<std::size_t>(firstQuotable(expected));
                const bool stopped = until == expected.substr(0, quotableAt) &&
                                     (quotableAt == expected.size() ? stop == text.size()
                                                                    : text[stop] == expected[quotableAt]);
                bool pieces = true;
                for (std::size_t split = 0; split <= text.size() && text.size() <= 4; ++split) {
                    std::string joined(cp932Utf8Room(text.size()), '\0');
                    std::size_t used = 0;
                    char* end = writeCompleteCp932AsUtf8(joined.data(), text.substr(0, split), used);
                    end = writeCp932AsUtf8(end, std::string_view(text).substr(used));
                    joined.resize(static_cast<std::size_t>(end - joined.data()));
                    pieces &= joined == expected && used + 1 >= split;
                }
                if (cp932ToUtf8(text) != expected || out != expected || !stopped || !pieces) {
                    ADD_FAILURE() << std::hex << first << ' ' << second << " in \"" << text << '"';
                    return;
                }
            }
        }
    }
}

TEST(Cp932, EncodesWhatItCanAndMarksTheRest) {
    bool exact = true;
    EXPECT_EQ(utf8ToCp932(u8"A\uAC00\U0001F600B", &exact), "A??B");  // Hangul, emoji
    EXPECT_FALSE(exact);
    EXPECT_EQ(utf8ToCp932("A\xC0\xAF\xE3\x81" "B", &exact), "A???B");   // overlong, cut short
    EXPECT_FALSE(exact);
    EXPECT_EQ(utf16ToCp932(u"\xD800" "A", &exact), "?A");               // lone surrogate
    EXPECT_FALSE(exact);
    // The codec folds the Shift_JIS readings onto their CP932 look-alikes.
    EXPECT_EQ(utf8ToCp932(u8"\u301C\u2212", &exact), "\x81\x60\x81\x7C");
    EXPECT_TRUE(exact);

    const char* mixed = u8"Lv.3 \u706B\u7403\u2460 \uFF76\uFF70\uFF84\uFF9E \u03A9\u0416 \uE000";
    std::string cp932 = utf8ToCp932(mixed, &exact);
    EXPECT_TRUE(exact);
    EXPECT_EQ(cp932ToUtf8(cp932), mixed);
}

TEST(Cp932, Utf8AndUtf16) {
    EXPECT_EQ(utf8ToUtf16(u8"a\u00E9\u3042\U0001F600"), u"a\u00E9\u3042\U0001F600");
    EXPECT_EQ(utf16ToUtf8(u"a\u00E9\u3042\U0001F600"), u8"a\u00E9\u3042\U0001F600");
    EXPECT_EQ(utf16ToUtf8(u"\xDC00" "a\xD83D"), u8"\uFFFDa\uFFFD");
    // Each broken sequence is one U+FFFD; the byte that broke it is read again.
    EXPECT_EQ(utf8ToUtf16("\xE3\x81" "a\xF4\x90\x80\x80\xED\xA0\x80"),
              u"\uFFFD" "a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");

    EXPECT_TRUE(isUtf8(u8"\u3042\U0010FFFF"));
    for (const char* bad : {"\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\xFF"})
        EXPECT_FALSE(isUtf8(bad)) << bad;
}

// Text longer than the converter's 16 KiB buffer, with a character whose lead byte is
// the buffer's last: it arrives whole and once, written at once or byte by byte; a
// lead byte left at the very end becomes one U+FFFD.
TEST(Cp932, Utf8BufferJoinsACharacterSplitAtItsBoundary) {
    for (const std::size_t before : {std::size_t{16383}, std::size_t{32767}}) {
        const std::string cp932 = std::string(before, 'a') + "炎bbb\x88";
        const std::string expected = std::string(before, 'a') + u8"炎bbb\uFFFD";
        std::stringbuf whole, bytes;
        {
            Utf8FromCp932Buffer utf8(whole);
            std::ostream(&utf8) << cp932;
        }
        {
            Utf8FromCp932Buffer utf8(bytes);
            std::ostream out(&utf8);
            for (char c : cp932) out.put(c);
        }
        EXPECT_EQ(whole.str(), expected) << before;
        EXPECT_EQ(bytes.str(), expected) << before;
    }
}
