#include "Shortcut.hpp"

namespace Mornstave {

std::u16string withShortcut(const std::u16string& itemText, const Shortcut& shortcut) {
    // A text that names its keys already keeps them.
    std::u16string label = itemText.substr(0, itemText.find(u'\t')) + u'\t';
    if (shortcut.control) label += u"Ctrl+";
    if (shortcut.shift) label += u"Shift+";
    if (shortcut.alt) label += u"Alt+";
    return label + shortcut.key;
}

}  // namespace Mornstave
