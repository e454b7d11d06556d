#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "MainWindow.hpp"
#include "Resource.h"

namespace {

// The paths on the command line ("Open with", "Send to", a drop on the
// program's icon): everything after the program's own name.
std::vector<std::u16string> commandLinePaths() {
    std::vector<std::u16string> paths;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return paths;
    }
    for (int i = 1; i < count; ++i) {
        paths.push_back(reinterpret_cast<const char16_t*>(arguments[i]));
    }
    LocalFree(arguments);
    return paths;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    Mornstave::Session session;
    session.instance = instance;
    if (FAILED(CoGetMalloc(1, &session.taskAllocator))) {
        MessageBoxW(nullptr, L"CoGetMalloc() に失敗", nullptr, MB_OK | MB_ICONWARNING);
        return 255;
    }
    session.smallIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_MORNSTAVE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    session.accelerators =
        Mornstave::withFindKey(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS)));
    session.arguments = commandLinePaths();

    // Modeless, so that this loop can translate the keyboard shortcuts.
    HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                     Mornstave::mainDialogProc, reinterpret_cast<LPARAM>(&session));
    if (window == nullptr) {
        return 255;
    }
    Mornstave::showMainWindow(window, showCommand);
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        if (TranslateAcceleratorW(window, session.accelerators, &message) ||
            IsDialogMessageW(window, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == -1 ? 255 : static_cast<int>(message.wParam);
}
