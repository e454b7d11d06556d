#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>

namespace Mornstave {

// What the program keeps for its whole run.  It lives on the entry
// routine's stack and reaches the dialog through its creation parameter.
struct Session {
    HINSTANCE instance = nullptr;
    IMalloc* taskAllocator = nullptr;  // frees the folder browser's item lists
    HICON smallIcon = nullptr;
    std::string resultBytes;           // CP932, CR LF line ends; what "save" writes
    WNDPROC resultBoxProc = nullptr;   // the result box's own procedure, subclassed
};

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void processCardFile(HWND window);
void processCardFolder(HWND window);
void saveResult(HWND window);

}  // namespace Mornstave
