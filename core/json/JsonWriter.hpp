#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace Vantorn {

// A streaming JSON writer (RFC 8259): values go out as they come, so a document of
// any length costs only its nesting in memory. Strings are UTF-8; a byte sequence
// that is not UTF-8 is written with U+FFFD in its place, and control characters are
// escaped, so the output is always valid JSON. Reals read back to the same double;
// NaN and infinities are written as null.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // The key of the next member of the open object.
    void key(std::string_view name);

    void value(std::string_view utf8);
    void value(const char* utf8) { value(std::string_view(utf8)); }
    void value(std::int64_t number);
    void value(std::int32_t number) { value(std::int64_t{number}); }
    void value(double number);
    void value(bool flag);
    void null();
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

private:
    void open(char bracket);
    void close(char bracket);
    void separate();

    std::ostream& out_;
    struct Level {
        bool first = true;  // nothing written in the container yet
        bool lineBreaks = false;
    };
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

// The text of a JSON string literal for the bytes, quotes included.
std::string jsonString(std::string_view utf8);

}  // namespace Vantorn
