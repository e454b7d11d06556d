#pragma once

// A menu item's text with its keyboard shortcut, as Windows menus show
// one: "技能カードを処理(&O)\tCtrl+O".  Window-independent, so that it is
// tested on every platform.

#include <string>

namespace Mornstave {

struct Shortcut {
    bool control = false;
    bool shift = false;
    bool alt = false;
    char16_t key = 0;  // a letter or digit, as its virtual-key code
};

std::u16string withShortcut(const std::u16string& itemText, const Shortcut& shortcut);

}  // namespace Mornstave
