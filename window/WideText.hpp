#pragma once

// What the window's files share of the wide Win32 API.

#include <windows.h>

#include <string>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0  // declared by the headers only for newer Windows targets
#endif

namespace Mornstave {

// Windows' wide characters are UTF-16 units, as char16_t is.
inline const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace Mornstave
