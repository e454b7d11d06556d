#include "json/JsonWriter.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>

#include "report/Real.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {

namespace {

// A block handed over to text in pieces leaves a block as large for what follows, up
// to this.
constexpr std::size_t largestPiece = 64 * 1024;

// The bytes a JSON string cannot hold as they are.
constexpr std::array<bool, 256> escapedBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[static_cast<std::size_t>(c)] = true;
    table['"'] = table['\\'] = true;
    return table;
}();

// The first position from `i` on that may need escaping, skipping eight plain bytes
// at a time: most text needs none.
std::size_t plainUntil(std::string_view text, std::size_t i) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, text.data() + i, 8);
        const std::uint64_t control = (v - 0x20 * ones) & ~v & highs;  // a byte below 0x20
        if (control | hasZero(v ^ ('"' * ones)) | hasZero(v ^ ('\\' * ones))) break;
    }
    return i;
}

// `count` TABs escaped, at `at`, which has room for them; returns where they end.
// Copied a block at a time: lines of a deep tree lead with thousands of them.
char* escapedTabs(char* at, std::size_t count) {
    static constexpr std::size_t blockTabs = 256;
    static constexpr auto block = [] {
        std::array<char, 2 * blockTabs> escaped{};
        for (std::size_t i = 0; i < escaped.size(); i += 2) {
            escaped[i] = '\\';
            escaped[i + 1] = 't';
        }
        return escaped;
    }();
    while (count > 0) {
        const std::size_t tabs = std::min(count, blockTabs);
        std::memcpy(at, block.data(), 2 * tabs);
        at += 2 * tabs;
        count -= tabs;
    }
    return at;
}

}  // namespace

void JsonWriter::appendTabs(std::size_t count) { buffer_.commit(escapedTabs(buffer_.room(2 * count), count)); }

void JsonWriter::escaped(std::string_view text) {
    buffer_ += '"';
    lastString_ = buffer_.size();
    escapedInside(text);
    buffer_ += '"';
}

void JsonWriter::escapedByte(unsigned char c) {
    static constexpr char hex[] = "0123456789abcdef";
    switch (c) {
    case '"': buffer_ += "\\\""; break;
    case '\\': buffer_ += "\\\\"; break;
    case '\n': buffer_ += "\\n"; break;
    case '\r': buffer_ += "\\r"; break;
    case '\t': buffer_ += "\\t"; break;
    case '\b': buffer_ += "\\b"; break;
    case '\f': buffer_ += "\\f"; break;
    default:
        buffer_ += "\\u00";
        buffer_ += hex[c >> 4];
        buffer_ += hex[c & 0xF];
        break;
    }
}

void JsonWriter::escapedInside(std::string_view text) {
    std::size_t plain = 0;  // start of the run not yet written
    for (std::size_t i = 0; i < text.size(); ++i) {
        i = plainUntil(text, i);
        if (i == text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (!escapedBytes[c]) continue;
        buffer_.append(text.data() + plain, i - plain);
        plain = i + 1;
        if (c == '\t') {
            // Indentation comes in long runs: one append for the whole run.
            std::size_t end = i + 1;
            while (end < text.size() && text[end] == '\t') ++end;
            appendTabs(end - i);
            i = end - 1;
            plain = end;
            continue;
        }
        escapedByte(c);
    }
    buffer_.append(text.data() + plain, text.size() - plain);
}

void JsonWriter::open(char bracket) {
    separate();
    buffer_ += bracket;
    levels_.emplace_back();
}

void JsonWriter::close(char bracket) {
    if (levels_.back().lineBreaks) buffer_ += '\n';
    levels_.pop_back();
    buffer_ += bracket;
}

void JsonWriter::value(std::string_view utf8) {
    separate();
    if (isUtf8(utf8)) {
        escaped(utf8);
    } else {
        escaped(utf16ToUtf8(utf8ToUtf16(utf8)));
    }
}

void JsonWriter::cp932(std::string_view text) {
    separate();
    // Converted in place up to each byte that needs escaping, which only an ASCII
    // byte can. The TABs that lead a description line, the same in both encodings,
    // are escaped first, in one go.
    std::size_t tabs = 0;
    while (tabs < text.size() && text[tabs] == '\t') ++tabs;
    std::string_view rest = text.substr(tabs);
    // One look at the room for the quotes, the TABs and the rest converted.
    char* at = buffer_.room(2 + 2 * tabs + cp932Utf8Room(rest.size()));
    *at++ = '"';
    lastString_ = static_cast<std::size_t>(at - buffer_.data());
    at = escapedTabs(at, tabs);
    while (!rest.empty()) {
        std::size_t used = 0;
        at = writeCp932AsUtf8UntilQuotable(at, rest, used);
        if (used == rest.size()) break;
        buffer_.commit(at);
        escapedByte(static_cast<unsigned char>(rest[used]));
        rest.remove_prefix(used + 1);
        at = buffer_.room(1 + cp932Utf8Room(rest.size()));
    }
    *at++ = '"';
    buffer_.commit(at);
}

void JsonWriter::indentedString(std::size_t tabs, std::string_view escaped) {
    separate();
    char* at = buffer_.room(2 + 2 * tabs + escaped.size());
    *at++ = '"';
    lastString_ = static_cast<std::size_t>(at - buffer_.data());
    at = escapedTabs(at, tabs);
    if (!escaped.empty()) std::memcpy(at, escaped.data(), escaped.size());
    at += escaped.size();
    *at++ = '"';
    buffer_.commit(at);
}

std::string_view JsonWriter::lastString() const {
    return std::string_view(buffer_.data() + lastString_, buffer_.size() - 1 - lastString_);
}

void JsonWriter::value(std::int64_t number) {
    separate();
    constexpr std::size_t longest = 20;  // "-9223372036854775808"
    char* const at = buffer_.room(longest);
    buffer_.commit(std::to_chars(at, at + longest, number).ptr);
}

void JsonWriter::value(double number) {
    separate();
    if (!std::isfinite(number)) {
        buffer_ += "null";
        return;
    }
    // The shortest text that reads back to the same double, alike on every platform.
    char* const at = buffer_.room(32);
    if (char* end = wholeNumberChars(at, number, 1e5)) {
        buffer_.commit(end);
        return;
    }
    buffer_.commit(std::to_chars(at, at + 32, number).ptr);
}

void JsonWriter::value(bool flag) {
    separate();
    buffer_ += flag ? "true" : "false";
}

void JsonWriter::raw(std::string_view json) {
    separate();
    buffer_ += json;
}

void JsonWriter::null() {
    separate();
    buffer_ += "null";
}

void JsonWriter::flush() {
    if (pieces_) {
        if (buffer_.size() == 0) return;
        // The next block is as large as this one, grown perhaps for a long value: it
        // is handed over seven eighths full at least, so that held text stays close
        // to its size.
        const std::size_t next = std::min(buffer_.capacity(), largestPiece);
        pieces_->pieces.push_back(buffer_.release(next));
        if (flushAbove_ != static_cast<std::size_t>(-1)) flushAbove_ = std::max(flushAbove_, next / 8 * 7);
        return;
    }
    if (buffer_.size() > 0) stream_->write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    // After a huge card, give its memory back rather than keep it for the small ones.
    buffer_.clear(1 << 20);
}

}  // namespace Vantorn
