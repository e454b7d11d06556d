#pragma once

// How a writer turns the core's CP932 texts and the paths as they were given into the
// encoding of its output.

#include <cstddef>
#include <string>
#include <string_view>

namespace Vantorn {

enum class TextEncoding { cp932, utf8 };

struct TextForm {
    TextEncoding encoding = TextEncoding::cp932;
    // The paths are UTF-8 (a UTF-8 locale, or Windows, whose arguments arrive as UTF-16);
    // otherwise they are bytes, echoed as they are.
    bool pathsAreUtf8 = false;
    // In CP932, a path character CP932 lacks becomes '?' (as Windows writes such names);
    // otherwise a path that cannot be converted whole is written as given.
    bool replaceUnmappable = false;

    // A CP932 text of the core in this encoding.
    std::string text(std::string_view cp932) const;
    // A path as given, in this encoding: UTF-8 writes it as given.
    std::string path(const std::string& given) const;
};

// The columns a text in the given encoding takes in a terminal: East Asian wide and
// fullwidth characters take two, others one. In CP932 that is every double-byte
// character; in UTF-8, the wide and fullwidth blocks of Unicode.
std::size_t displayWidth(std::string_view text, TextEncoding encoding);

// The character that starts at `at` (not past the end): its bytes and its columns, as
// displayWidth counts them.
struct TextCharacter {
    std::size_t length;
    std::size_t width;
};
TextCharacter characterAt(std::string_view text, std::size_t at, TextEncoding encoding);

}  // namespace Vantorn
