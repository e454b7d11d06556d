#pragma once

// An output stream that counts what is written and keeps none of it, so that a
// benchmark measures the writer, not the growth of a buffer, and a run over a very
// large or hostile card does not hold its whole report.

#include <array>
#include <cstddef>
#include <ostream>
#include <streambuf>

namespace Vantorn::testing {

class CountingBuffer : public std::streambuf {
public:
    CountingBuffer() { setp(area_.data(), area_.data() + area_.size()); }
    std::size_t count() const { return counted_ + static_cast<std::size_t>(pptr() - pbase()); }

protected:
    int_type overflow(int_type c) override {
        counted_ += static_cast<std::size_t>(pptr() - pbase());
        setp(area_.data(), area_.data() + area_.size());
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    // Blocks are only counted; single characters go through the area.
    std::streamsize xsputn(const char*, std::streamsize n) override {
        counted_ += static_cast<std::size_t>(n);
        return n;
    }

private:
    std::array<char, 4096> area_{};
    std::size_t counted_ = 0;
};

class CountingStream : public std::ostream {
public:
    CountingStream() : std::ostream(nullptr) { rdbuf(&buffer_); }
    std::size_t count() const { return buffer_.count(); }

private:
    CountingBuffer buffer_;
};

}  // namespace Vantorn::testing
