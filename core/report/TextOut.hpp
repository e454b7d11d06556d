#pragma once

#include <charconv>
#include <cstddef>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <type_traits>

namespace Vantorn {

// Report text put together in a small buffer of its own and handed to the stream's
// buffer in large calls: the many short pieces of a line cost no stream call each.
// Numbers, truth values and characters are written as a stream with no flags set
// writes them.
class TextOut {
public:
    // A stream without a buffer takes nothing, as its own output would.
    explicit TextOut(std::ostream& out) : out_(out.rdbuf()) {}
    explicit TextOut(std::streambuf& out) : out_(&out) {}
    ~TextOut() { flush(); }
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;

    TextOut& operator<<(std::string_view text) {
        write(text.data(), text.size());
        return *this;
    }
    TextOut& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
    TextOut& operator<<(const std::string& text) { return *this << std::string_view(text); }
    TextOut& operator<<(char c) {
        if (size_ == sizeof buffer_) flush();
        buffer_[size_++] = c;
        return *this;
    }
    TextOut& operator<<(signed char c) { return *this << static_cast<char>(c); }
    TextOut& operator<<(unsigned char c) { return *this << static_cast<char>(c); }
    TextOut& operator<<(bool flag) { return *this << (flag ? '1' : '0'); }
    template <class Int, std::enable_if_t<std::is_integral_v<Int> && !std::is_same_v<Int, char> &&
                                              !std::is_same_v<Int, signed char> &&
                                              !std::is_same_v<Int, unsigned char> && !std::is_same_v<Int, bool>,
                                          int> = 0>
    TextOut& operator<<(Int number) {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, number);
        write(digits, static_cast<std::size_t>(written.ptr - digits));
        return *this;
    }

    void write(const char* data, std::size_t size) {
        if (size == 0) return;  // an empty view may have no data at all
        if (size > sizeof buffer_ - size_) {
            flush();
            if (size > sizeof buffer_) {
                if (out_ != nullptr) out_->sputn(data, static_cast<std::streamsize>(size));
                return;
            }
        }
        std::memcpy(buffer_ + size_, data, size);
        size_ += size;
    }
    void flush() {
        if (size_ > 0 && out_ != nullptr) out_->sputn(buffer_, static_cast<std::streamsize>(size_));
        size_ = 0;
    }
    // What is written since the last flush, not yet handed on; valid until the next
    // write. A short line read from here needs no copy.
    std::string_view held() const { return std::string_view(buffer_, size_); }
    // Forgets what is held.
    void discard() { size_ = 0; }

private:
    std::streambuf* out_;
    char buffer_[1024];
    std::size_t size_ = 0;
};

// A stream buffer that appends to a string: a line gathered to be handed on.
struct StringBuffer final : std::streambuf {
    std::string text;
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        text.append(data, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) text += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }
};

}  // namespace Vantorn
