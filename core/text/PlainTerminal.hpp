#pragma once

#include <streambuf>
#include <string>
#include <string_view>

namespace Vantorn {

// A stream buffer in front of a terminal that writes every control character but TAB,
// LF and CR as visible ASCII, the way `cat -v` does: ESC becomes "^[", DEL "^?", the
// C1 control U+009B "M-^[". A card's name or a file's name then cannot retitle, recolour
// or clear the terminal. `utf8` says how the terminal reads the bytes: in UTF-8 the C1
// controls are the sequences C2 80 to C2 9F; in CP932 the lone byte 0x80 (which CP932
// maps to U+0080), never a byte of a double-byte character.
// With `lineControls`, TAB, LF and CR are shown too ("^I", "^J", "^M").
class PlainTerminalBuffer : public std::streambuf {
public:
    PlainTerminalBuffer(std::streambuf& target, bool utf8, bool lineControls = false)
        : target_(target), utf8_(utf8), lineControls_(lineControls) {}
    ~PlainTerminalBuffer() override;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    // Writes what is pending but for a last byte that may begin a character.
    bool pass(bool all);

    std::streambuf& target_;
    const bool utf8_;
    const bool lineControls_;
    std::string pending_;
    std::string visible_;
};

// The text with every control character, TAB, LF and CR among them, in the notation
// above: one line of known width, shown alike on a terminal and in a file.
std::string visibleControls(std::string_view text, bool utf8);

}  // namespace Vantorn
