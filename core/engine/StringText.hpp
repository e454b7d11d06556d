#pragma once

#include <streambuf>
#include <string>

namespace Vantorn {

// A stream buffer that appends to a string: a writer's text, made off the output's
// thread, without a string stream's copies.
class StringText : public std::streambuf {
public:
    explicit StringText(std::string& text) : text_(text) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) text_ += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        text_.append(data, static_cast<std::size_t>(count));
        return count;
    }

private:
    std::string& text_;
};

}  // namespace Vantorn
