#include "Layout.hpp"

#include <algorithm>

namespace Mornstave {

namespace {

RECT clientRectOf(HWND window, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The width of a static control's text in its font.
LONG textWidth(HWND control) {
    wchar_t text[64] = L"";
    const int length = GetWindowTextW(control, text, 64);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
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

Layout::Panes Layout::panes(HWND window, UINT dpi) const {
    auto scale = [&](LONG value) { return MulDiv(value, static_cast<int>(dpi), static_cast<int>(dpi_)); };
    RECT client{};
    GetClientRect(window, &client);
    // The box: its own left and top, the designed right and bottom margins.
    RECT box{scale(box_.left), scale(box_.top), client.right - scale(client_.cx - box_.right),
             client.bottom - scale(client_.cy - box_.bottom)};
    if (!tableShown()) return {{}, box};
    // The list takes the box's place and the box goes below the bar, each
    // keeping some room whatever the height asked.
    const LONG bar = scale(box_.left);
    const LONG room = box.bottom - box.top - bar;
    const LONG least = std::min<LONG>(MulDiv(48, static_cast<int>(dpi), 96), room / 2);
    LONG height = tableHeight_ > 0 ? MulDiv(tableHeight_, static_cast<int>(dpi), 96) : room / 2;
    height = std::max(least, std::min(height, room - least));
    const RECT list{box.left, box.top, box.right, box.top + height};
    box.top = list.bottom + bar;
    return {list, box};
}

LONG Layout::tableTop(UINT dpi) const {
    return MulDiv(box_.top, static_cast<int>(dpi), static_cast<int>(dpi_));
}

bool Layout::onSplitter(HWND window, POINT point, UINT dpi) const {
    if (!tableShown()) return false;
    const Panes p = panes(window, dpi);
    return point.x >= p.list.left && point.x < p.list.right && point.y >= p.list.bottom &&
           point.y < p.box.top;
}

void Layout::showTable(HWND label, HWND filter, HWND list) {
    label_ = label;
    filter_ = filter;
    list_ = list;
}

void Layout::hideTable() {
    label_ = filter_ = list_ = nullptr;
}

void Layout::apply(HWND window, UINT dpi) const {
    auto scale = [&](LONG value) { return MulDiv(value, static_cast<int>(dpi), static_cast<int>(dpi_)); };
    RECT client{};
    GetClientRect(window, &client);
    const Panes p = panes(window, dpi);
    // The button: its designed distance to the lower right corner.
    const LONG buttonLeft = client.right - scale(client_.cx - button_.left);
    const LONG buttonTop = client.bottom - scale(client_.cy - button_.top);

    HDWP positions = BeginDeferWindowPos(5);
    auto place = [&](HWND control, const RECT& r) {
        positions = DeferWindowPos(positions, control, nullptr, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(GetDlgItem(window, boxId_), p.box);
    if (tableShown()) {
        place(list_, p.list);
        // The filter in the band above the list, after its label.
        const LONG band = p.list.top;
        const RECT label{p.list.left, band / 6, p.list.left + textWidth(label_), band * 5 / 6};
        place(label_, label);
        place(filter_, {label.right + scale(box_.left) / 2, label.top, p.list.right, label.bottom});
    }
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
