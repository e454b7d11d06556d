#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "CardTable.hpp"
#include "Layout.hpp"
#include "ResultBox.hpp"
#include "Settings.hpp"
#include "Work.hpp"

namespace Mornstave {

// What the program keeps for its whole run.  It lives on the entry
// routine's stack and reaches the dialog through its creation parameter.
struct Session {
    HINSTANCE instance = nullptr;
    IMalloc* taskAllocator = nullptr;  // frees the folder browser's item lists
    HICON smallIcon = nullptr;
    HACCEL accelerators = nullptr;
    std::vector<std::u16string> arguments;  // the command line's paths

    Settings settings;
    Layout layout;
    bool laidOut = false;  // the layout has measured the dialog
    UINT dpi = 96;

    ResultBox resultBox;
    CardTable cardTable;          // a result of several cards, listed
    std::string resultBytes;      // CP932, CR LF line ends; what "save" writes
    std::u16string resultText;    // the same as shown, for a UTF-8 save
    Table table;                  // the last result's cards, for 一覧表を保存
    Work work;
    bool busy = false;            // composing or still filling the box
};

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the main window where the user left it, when that is on a present
// monitor, else as the system places it.
void showMainWindow(HWND window, int showCommand);

}  // namespace Mornstave
