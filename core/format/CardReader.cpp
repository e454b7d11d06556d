#include "format/CardReader.hpp"

#include <algorithm>
#include <istream>

#include "format/Stream.hpp"

namespace Vantorn {
namespace {

// A path of more segments than these two ends keeps only the ends.
constexpr std::size_t firstSegments = 2;
constexpr std::size_t lastSegments = 3;

std::string bytesLeft(std::streamsize count) {
    return std::to_string(count) + (count == 1 ? " byte left" : " bytes left");
}

}  // namespace

void CardReader::failShortRead(std::size_t size, std::uint64_t start, const char* name) const {
    fail(IOException(), start, name, bytesLeft(in_.gcount()), std::to_string(size) + (size == 1 ? " byte" : " bytes"));
}

std::string CardReader::string(const char* name) {
    const std::uint64_t start = offset_;
    unsigned char b[4];
    readBytes(reinterpret_cast<char*>(b), 4, start, name);
    const std::uint32_t length = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
                                 std::uint32_t{b[3]} << 24;
    if (length > maxStringLength) {
        fail(FileCorruptException(), start, name, "length " + std::to_string(length),
             "length 0.." + std::to_string(maxStringLength));
    }
    std::string body(length, '\0');
    readBytes(body.data(), length, start, name);
    body.erase(std::find(body.begin(), body.end(), '\0'), body.end());
    heard(start, name, FieldType::string, length, body);
    return body;
}

void CardReader::skip(std::int64_t count, const char* name) {
    const std::uint64_t start = offset_;
    in_.seekg(count, std::ios::cur);
    offset_ += static_cast<std::uint64_t>(count);
    heard(start, name, FieldType::skip, count);
}

int CardReader::peek() {
    const auto next = in_.peek();
    return next == std::istream::traits_type::eof() ? -1 : static_cast<unsigned char>(next);
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
