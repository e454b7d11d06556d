#include "summary/TextFit.hpp"

#include <algorithm>

#include "text/PlainTerminal.hpp"

namespace Vantorn {

std::string fitWidth(std::string_view text, std::size_t columns, TextEncoding encoding) {
    const bool utf8 = encoding == TextEncoding::utf8;
    std::string shown = visibleControls(text, utf8);
    if (columns == 0 || displayWidth(shown, encoding) <= columns) return shown;
    const std::string_view ellipsis = utf8 ? "\xE2\x80\xA6" : "\x81\x63";
    const std::size_t room = columns - std::min(columns, displayWidth(ellipsis, encoding));
    // Cut between the text's characters, each as wide as it is shown: never inside "^[".
    std::string fitted;
    std::size_t used = 0;
    for (std::size_t at = 0; at < text.size();) {
        const TextCharacter character = characterAt(text, at, encoding);
        const std::string piece = visibleControls(text.substr(at, character.length), utf8);
        const std::size_t width = displayWidth(piece, encoding);
        if (used + width > room) break;
        used += width;
        fitted += piece;
        at += character.length;
    }
    fitted += ellipsis;
    return fitted;
}

}  // namespace Vantorn
