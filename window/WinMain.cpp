#include <windows.h>
#include <objbase.h>

#include "MainWindow.hpp"
#include "Resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Mornstave::Session session;
    session.instance = instance;
    if (FAILED(CoGetMalloc(1, &session.taskAllocator))) {
        MessageBoxA(nullptr, "CoGetMalloc() に失敗", nullptr, MB_OK | MB_ICONWARNING);
        return 255;
    }
    session.smallIcon = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_MORNSTAVE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                            Mornstave::mainDialogProc,
                                            reinterpret_cast<LPARAM>(&session)));
}
