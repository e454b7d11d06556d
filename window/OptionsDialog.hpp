#pragma once

#include <windows.h>

#include "Settings.hpp"

namespace Mornstave {

// The options dialog over settings: true when the user chose OK, and
// settings then hold the choices.
bool editOptions(HINSTANCE instance, HWND owner, Settings& settings);

}  // namespace Mornstave
