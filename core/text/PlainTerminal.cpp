#include "text/PlainTerminal.hpp"

#include <algorithm>
#include <sstream>

#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

// ^X for a C0 control, ^? for DEL; "M-" before a C1 control's C0 counterpart.
void appendCaret(std::string& out, unsigned code) {
    if (code >= 0x80) {
        out += "M-";
        code -= 0x80;
    }
    out += '^';
    out += code == 0x7F ? '?' : static_cast<char>(code + 0x40);
}

}  // namespace

PlainTerminalBuffer::~PlainTerminalBuffer() { pass(true); }

PlainTerminalBuffer::int_type PlainTerminalBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize PlainTerminalBuffer::xsputn(const char* text, std::streamsize count) {
    pending_.append(text, static_cast<std::size_t>(count));
    return pass(false) ? count : 0;
}

int PlainTerminalBuffer::sync() { return pass(false) && target_.pubsync() == 0 ? 0 : -1; }

bool PlainTerminalBuffer::pass(bool all) {
    visible_.clear();
    std::size_t i = 0;
    while (i < pending_.size()) {
        const auto byte = static_cast<unsigned char>(pending_[i]);
        const bool last = i + 1 == pending_.size();
        const bool lineControl = byte == '\t' || byte == '\n' || byte == '\r';
        if ((byte < 0x20 && (lineControls_ || !lineControl)) || byte == 0x7F) {
            appendCaret(visible_, byte);
            ++i;
            continue;
        }
        // A byte that may begin a two-byte character waits for the next byte.
        const bool twoByte = utf8_ ? byte == 0xC2 : isCp932LeadByte(byte);
        if (twoByte && last && !all) break;
        if (twoByte && !last) {
            const auto next = static_cast<unsigned char>(pending_[i + 1]);
            if (utf8_ && next >= 0x80 && next <= 0x9F) {
                appendCaret(visible_, next);
                i += 2;
            } else if (!utf8_ && next >= 0x40 && next != 0x7F) {  // a CP932 trail byte
                visible_.append(pending_, i, 2);
                i += 2;
            } else {
                visible_ += pending_[i];  // the next byte is looked at on its own
                ++i;
            }
            continue;
        }
        if (!utf8_ && byte == 0x80) {
            appendCaret(visible_, byte);
        } else {
            visible_ += pending_[i];
        }
        ++i;
    }
    pending_.erase(0, i);
    const auto size = static_cast<std::streamsize>(visible_.size());
    return target_.sputn(visible_.data(), size) == size;
}

std::string visibleControls(std::string_view text, bool utf8) {
    // Most texts hold no control character, nor a byte that may begin one.
    const bool plain = std::none_of(text.begin(), text.end(), [utf8](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || byte == (utf8 ? 0xC2 : 0x80);
    });
    if (plain) return std::string(text);
    std::ostringstream out;
    {
        PlainTerminalBuffer buffer(*out.rdbuf(), utf8, true);
        buffer.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return out.str();
}

}  // namespace Vantorn
