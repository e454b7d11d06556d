#include "format/CardReader.hpp"

#include <string>

namespace Vantorn {
namespace {

// A path of more segments than these two ends keeps only the ends.
constexpr std::size_t firstSegments = 2;
constexpr std::size_t lastSegments = 3;

std::string bytesLeft(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " byte left" : " bytes left");
}

}  // namespace

void CardReader::failShortRead(std::size_t size, std::uint64_t start, const char* name) const {
    fail(IOException(), start, name, bytesLeft(remaining()), std::to_string(size) + (size == 1 ? " byte" : " bytes"));
}

std::string CardReader::string(const char* name) {
    const std::uint64_t start = offset_;
    unsigned char b[4];
    readBytes(b, 4, start, name);
    const std::uint32_t length = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
                                 std::uint32_t{b[3]} << 24;
    if (length > maxStringLength) {
        fail(FileCorruptException(), start, name, "length " + std::to_string(length),
             "length 0.." + std::to_string(maxStringLength));
    }
    if (remaining() < length) {
        failShortRead(length, start, name);
    }
    const std::string_view body = bytes_.substr(offset_, length);
    offset_ += length;
    const std::string_view text = body.substr(0, body.find('\0'));
    heard(start, name, FieldType::string, length, text);
    return std::string(text);
}

void CardReader::skip(std::int64_t count, const char* name) {
    const std::uint64_t start = offset_;
    offset_ += static_cast<std::uint64_t>(count);
    heard(start, name, FieldType::skip, count);
}

std::string CardReader::path(std::string_view field) const {
    std::string out;
    const auto segment = [&](const Segment& s) {
        out += s.record;
        out += ' ';
        out += std::to_string(s.number);
        out += " > ";
    };
    if (path_.size() <= firstSegments + lastSegments + 1) {
        for (const Segment& s : path_) segment(s);
    } else {
        for (std::size_t i = 0; i < firstSegments; ++i) segment(path_[i]);
        out += "... " + std::to_string(path_.size() - firstSegments - lastSegments) + " more > ";
        for (std::size_t i = path_.size() - lastSegments; i < path_.size(); ++i) segment(path_[i]);
    }
    if (field.empty()) {
        if (out.size() >= 3) out.resize(out.size() - 3);
    } else {
        out += field;
    }
    return out;
}

}  // namespace Vantorn
