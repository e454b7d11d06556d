#include "json/JsonWriter.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <ostream>
#include <sstream>

#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

void writeEscaped(std::ostream& out, std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::size_t plain = 0;  // start of the run not yet written
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.write(text.data() + plain, static_cast<std::streamsize>(i - plain));
        plain = i + 1;
        switch (c) {
        case '"': out << "\\\""; break;
        case '\\': out << "\\\\"; break;
        case '\n': out << "\\n"; break;
        case '\r': out << "\\r"; break;
        case '\t': out << "\\t"; break;
        case '\b': out << "\\b"; break;
        case '\f': out << "\\f"; break;
        default: out << "\\u00" << hex[c >> 4] << hex[c & 0xF]; break;
        }
    }
    out.write(text.data() + plain, static_cast<std::streamsize>(text.size() - plain));
}

void writeString(std::ostream& out, std::string_view utf8) {
    out << '"';
    if (isUtf8(utf8)) {
        writeEscaped(out, utf8);
    } else {
        writeEscaped(out, utf16ToUtf8(utf8ToUtf16(utf8)));
    }
    out << '"';
}

}  // namespace

std::string jsonString(std::string_view utf8) {
    std::ostringstream out;
    writeString(out, utf8);
    return out.str();
}

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!levels_.empty()) {
        Level& level = levels_.back();
        if (!level.first) out_ << ',';
        if (level.lineBreaks) out_ << '\n';
        level.first = false;
    }
}

void JsonWriter::open(char bracket) {
    separate();
    out_ << bracket;
    levels_.emplace_back();
}

void JsonWriter::close(char bracket) {
    if (levels_.back().lineBreaks) out_ << '\n';
    levels_.pop_back();
    out_ << bracket;
}

void JsonWriter::key(std::string_view name) {
    separate();
    writeString(out_, name);
    out_ << ':';
    afterKey_ = true;
}

void JsonWriter::value(std::string_view utf8) {
    separate();
    writeString(out_, utf8);
}

void JsonWriter::value(std::int64_t number) {
    separate();
    out_ << number;
}

void JsonWriter::value(double number) {
    separate();
    if (!std::isfinite(number)) {
        out_ << "null";
        return;
    }
    // The shortest text that reads back to the same double, alike on every platform.
    std::array<char, 32> digits;
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    out_.write(digits.data(), written.ptr - digits.data());
}

void JsonWriter::value(bool flag) {
    separate();
    out_ << (flag ? "true" : "false");
}

void JsonWriter::raw(std::string_view json) {
    separate();
    out_ << json;
}

void JsonWriter::null() {
    separate();
    out_ << "null";
}

}  // namespace Vantorn
