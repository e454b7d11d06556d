#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "text/TextBuffer.hpp"

namespace Vantorn {

// A streaming JSON writer (RFC 8259). Text collects in a buffer that goes out on
// flush(), so a caller decides what reaches the stream as a whole; a document of any
// length costs only its nesting and the text since the last flush. Strings are UTF-8;
// a byte sequence that is not UTF-8 is written with U+FFFD in its place, and control
// characters are escaped, so the output is always valid JSON. Reals read back to the
// same double; NaN and infinities are written as null.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : stream_(&out) { levels_.reserve(16); }
    // Into text kept in memory, each block handed over whole when it is flushed: a
    // card's entry made ahead is neither copied nor written through a stream, whose
    // set-up alone costs as much as a hundred keys.
    explicit JsonWriter(TextPieces& into) : pieces_(&into) { levels_.reserve(16); }
    ~JsonWriter() { flush(); }
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // The key of the next member of the open object: a name the program gives, ASCII.
    // Inline with name(), so that a literal is copied as a constant: keys and names are
    // most of a card's JSON.
    void key(std::string_view name) {
        char* at = quotedName(name, 1);
        *at++ = ':';
        buffer_.commit(at);
        afterKey_ = true;
    }

    void value(std::string_view utf8);
    void value(const char* utf8) { value(std::string_view(utf8)); }
    void value(std::int64_t number);
    void value(std::int32_t number) { value(std::int64_t{number}); }
    void value(double number);
    void value(bool flag);
    void null();
    // A string value that is one of the program's own names: ASCII, nothing to escape.
    void name(std::string_view ascii) { buffer_.commit(quotedName(ascii, 0)); }
    // A string given in CP932, written as UTF-8.
    void cp932(std::string_view text);
    // A string value of `tabs` TABs, then `escaped`, a string's inside as written
    // before: JSON-escaped UTF-8.
    void indentedString(std::size_t tabs, std::string_view escaped);
    // The inside of the string value written last, as it stands in the document: valid
    // until anything else is written.
    std::string_view lastString() const;
    // A value already written as JSON text (by another writer), inserted as it is.
    void raw(std::string_view json);

    template <class Value>
    void member(std::string_view name, const Value& v) {
        key(name);
        value(v);
    }

    // Puts each element of the open container on a line of its own, and its closing
    // bracket too: a long document stays readable line by line.
    void breakLines() { levels_.back().lineBreaks = true; }

    // Hands what is written so far to the stream.
    void flush();
    // From now on, hands the text on whenever it has passed `bytes` as a value begins:
    // for a document whose stream may take an entry in pieces. Into text in pieces,
    // the bound then follows the blocks, as they grow for long values.
    void flushAbove(std::size_t bytes) {
        flushAbove_ = bytes;
        buffer_.room(2 * bytes);  // what it will hold at most, but for one long value
    }

private:
    void open(char bracket);
    void close(char bracket);
    // What comes before a value: a comma and a line break as its container asks.
    void separate() {
        if (buffer_.size() > flushAbove_) flush();
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (levels_.empty()) return;
        Level& level = levels_.back();
        if (!level.first) buffer_ += ',';
        if (level.lineBreaks) buffer_ += '\n';
        level.first = false;
    }
    // `ascii` in quotes after what comes before a value, with room for `extra` bytes
    // more; returns where they go.
    char* quotedName(std::string_view ascii, std::size_t extra) {
        separate();
        char* at = buffer_.room(ascii.size() + 2 + extra);
        *at++ = '"';
        std::memcpy(at, ascii.data(), ascii.size());
        at += ascii.size();
        *at++ = '"';
        return at;
    }
    void escaped(std::string_view utf8);
    // A byte a string cannot hold as it is, escaped.
    void escapedByte(unsigned char c);
    // The same without the quotes around it.
    void escapedInside(std::string_view utf8);
    void appendTabs(std::size_t count);

    std::ostream* stream_ = nullptr;
    TextPieces* pieces_ = nullptr;
    TextBuffer buffer_;
    struct Level {
        bool first = true;  // nothing written in the container yet
        bool lineBreaks = false;
    };
    std::vector<Level> levels_;
    std::size_t lastString_ = 0;  // where the inside of the last string value starts
    bool afterKey_ = false;
    std::size_t flushAbove_ = static_cast<std::size_t>(-1);
};

}  // namespace Vantorn
