#include <cstring>

#include "engine/CardSink.hpp"

namespace Vantorn {
namespace {
// Large enough that a run of small cards costs few writes, small enough not to matter.
constexpr std::size_t blockSize = 1 << 20;
}  // namespace

SinkOutput::SinkOutput(std::ostream& out, ErrorLine errorLine)
    : out_(out), errorLine_(std::move(errorLine)), buffer_(new char[blockSize]), text_(this) {
    setp(buffer_.get(), buffer_.get() + blockSize);
}

SinkOutput::~SinkOutput() { pass(); }

void SinkOutput::pass() {
    const auto held = static_cast<std::streamsize>(pptr() - pbase());
    if (held > 0) out_.write(pbase(), held);
    passed_ += static_cast<std::size_t>(held);
    setp(buffer_.get(), buffer_.get() + blockSize);
}

void SinkOutput::drain() {
    pass();
    out_.flush();
}

void SinkOutput::errorLine(const std::string& path, const std::string& message) {
    drain();
    errorLine_(path, message);
}

SinkOutput::int_type SinkOutput::overflow(int_type c) {
    pass();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::streamsize SinkOutput::xsputn(const char* data, std::streamsize count) {
    const auto room = static_cast<std::streamsize>(epptr() - pptr());
    if (count <= room) {
        std::memcpy(pptr(), data, static_cast<std::size_t>(count));
        pbump(static_cast<int>(count));
        return count;
    }
    // A piece larger than the room left: what is held goes first, then the piece whole
    // when it would fill a buffer by itself.
    pass();
    if (count >= static_cast<std::streamsize>(blockSize)) {
        out_.write(data, count);
        passed_ += static_cast<std::size_t>(count);
        return count;
    }
    std::memcpy(pptr(), data, static_cast<std::size_t>(count));
    pbump(static_cast<int>(count));
    return count;
}

}  // namespace Vantorn
