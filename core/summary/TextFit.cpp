#include "summary/TextFit.hpp"

#include <algorithm>

namespace Vantorn {
namespace {

// The bytes of the character that starts at `at`, as displayWidth reads them.
std::size_t characterLength(std::string_view text, std::size_t at, TextEncoding encoding) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (encoding == TextEncoding::cp932) {
        const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        return isLead && at + 1 < text.size() ? 2 : 1;
    }
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t taken = 1;
    while (taken < length && at + taken < text.size() && (text[at + taken] & 0xC0) == 0x80) ++taken;
    return taken;
}

}  // namespace

std::string fitWidth(std::string_view text, std::size_t columns, TextEncoding encoding) {
    if (displayWidth(text, encoding) <= columns) return std::string(text);
    const std::string_view ellipsis = encoding == TextEncoding::cp932 ? "\x81\x63" : "\xE2\x80\xA6";
    const std::size_t room = columns - std::min(columns, displayWidth(ellipsis, encoding));
    std::size_t end = 0;
    std::size_t used = 0;
    while (end < text.size()) {
        const std::size_t length = characterLength(text, end, encoding);
        const std::size_t width = displayWidth(text.substr(end, length), encoding);
        if (used + width > room) break;
        used += width;
        end += length;
    }
    std::string fitted(text.substr(0, end));
    fitted += ellipsis;
    return fitted;
}

}  // namespace Vantorn
