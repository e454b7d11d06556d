#include "Layout.hpp"

namespace Mornstave {

namespace {

RECT clientRectOf(HWND window, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

UINT dpiOf(HWND window) {
    // Looked up, not linked: Windows 7 and 8 lack the function.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void Layout::measure(HWND window, int boxId, int buttonId, UINT dpi) {
    boxId_ = boxId;
    buttonId_ = buttonId;
    dpi_ = dpi;
    RECT frame{};
    GetWindowRect(window, &frame);
    frame_ = {frame.right - frame.left, frame.bottom - frame.top};
    RECT client{};
    GetClientRect(window, &client);
    client_ = {client.right, client.bottom};
    box_ = clientRectOf(window, GetDlgItem(window, boxId));
    button_ = clientRectOf(window, GetDlgItem(window, buttonId));
}

void Layout::apply(HWND window, UINT dpi) const {
    auto scale = [&](LONG value) { return MulDiv(value, static_cast<int>(dpi), static_cast<int>(dpi_)); };
    RECT client{};
    GetClientRect(window, &client);
    // The box: its own left and top, the designed right and bottom margins.
    const LONG boxRight = client.right - scale(client_.cx - box_.right);
    const LONG boxBottom = client.bottom - scale(client_.cy - box_.bottom);
    // The button: its designed distance to the lower right corner.
    const LONG buttonLeft = client.right - scale(client_.cx - button_.left);
    const LONG buttonTop = client.bottom - scale(client_.cy - button_.top);

    HDWP positions = BeginDeferWindowPos(2);
    positions = DeferWindowPos(positions, GetDlgItem(window, boxId_), nullptr, scale(box_.left),
                               scale(box_.top), boxRight - scale(box_.left),
                               boxBottom - scale(box_.top), SWP_NOZORDER | SWP_NOACTIVATE);
    positions = DeferWindowPos(positions, GetDlgItem(window, buttonId_), nullptr, buttonLeft,
                               buttonTop, scale(button_.right - button_.left),
                               scale(button_.bottom - button_.top), SWP_NOZORDER | SWP_NOACTIVATE);
    EndDeferWindowPos(positions);
}

SIZE Layout::minimumFrame(UINT dpi) const {
    return {MulDiv(frame_.cx, static_cast<int>(dpi), static_cast<int>(dpi_)),
            MulDiv(frame_.cy, static_cast<int>(dpi), static_cast<int>(dpi_))};
}

}  // namespace Mornstave
