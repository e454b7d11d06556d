#include "summary/TextFit.hpp"

#include <algorithm>

namespace Vantorn {

std::string fitWidth(std::string_view text, std::size_t columns, TextEncoding encoding) {
    if (displayWidth(text, encoding) <= columns) return std::string(text);
    const std::string_view ellipsis = encoding == TextEncoding::cp932 ? "\x81\x63" : "\xE2\x80\xA6";
    const std::size_t room = columns - std::min(columns, displayWidth(ellipsis, encoding));
    std::size_t end = 0;
    std::size_t used = 0;
    while (end < text.size()) {
        const TextCharacter character = characterAt(text, end, encoding);
        if (used + character.width > room) break;
        used += character.width;
        end += character.length;
    }
    std::string fitted(text.substr(0, end));
    fitted += ellipsis;
    return fitted;
}

}  // namespace Vantorn
