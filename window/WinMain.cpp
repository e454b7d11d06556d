#include <windows.h>
#include <objbase.h>

#include "MainWindow.hpp"
#include "Resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Mornstave::Session session;
    session.instance = instance;
    if (FAILED(CoGetMalloc(1, &session.taskAllocator))) {
        MessageBoxW(nullptr, L"CoGetMalloc() に失敗", nullptr, MB_OK | MB_ICONWARNING);
        return 255;
    }
    session.smallIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_MORNSTAVE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                            Mornstave::mainDialogProc,
                                            reinterpret_cast<LPARAM>(&session)));
}
