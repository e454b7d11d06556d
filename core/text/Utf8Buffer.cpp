#include "text/Utf8Buffer.hpp"

#include "text/Cp932.hpp"

namespace Vantorn {

namespace {
constexpr std::size_t bufferSize = 16 * 1024;
}

// Both blocks are sized once: the converted text's has room for the whole buffer.
Utf8FromCp932Buffer::Utf8FromCp932Buffer(std::streambuf& target)
    : target_(target), buffer_(new char[bufferSize]), converted_(new char[cp932Utf8Room(bufferSize)]) {
    setp(buffer_.get(), buffer_.get() + bufferSize);
}

Utf8FromCp932Buffer::~Utf8FromCp932Buffer() {
    convert();
    if (pptr() != pbase()) {  // a lead byte that never got its trail byte
        const char* end = writeCp932AsUtf8(converted_.get(), std::string_view(pbase(), 1));
        target_.sputn(converted_.get(), end - converted_.get());
    }
}

bool Utf8FromCp932Buffer::convert() {
    const std::string_view held(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    std::size_t complete = 0;
    const char* end = writeCompleteCp932AsUtf8(converted_.get(), held, complete);
    const auto size = static_cast<std::streamsize>(end - converted_.get());
    const bool written = target_.sputn(converted_.get(), size) == size;
    // The waiting lead byte, if any, moves to the front.
    const std::size_t rest = held.size() - complete;
    if (rest != 0) buffer_[0] = held[complete];
    setp(buffer_.get(), buffer_.get() + bufferSize);
    pbump(static_cast<int>(rest));
    return written;
}

Utf8FromCp932Buffer::int_type Utf8FromCp932Buffer::overflow(int_type c) {
    if (!convert()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int Utf8FromCp932Buffer::sync() {
    return convert() && target_.pubsync() == 0 ? 0 : -1;
}

}  // namespace Vantorn
