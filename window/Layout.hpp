#pragma once

// Where the main window's controls go as its frame changes size or DPI.
// The designed dialog is measured once, as created; every later layout
// scales those figures from the DPI they were measured at to the current
// one: the result box keeps its left and top and fills the rest but the
// designed margins, the save button keeps its distance to the lower right
// corner, and the designed frame is the smallest the window may become.

#include <windows.h>

namespace Mornstave {

// The window's DPI: per monitor where Windows tells it (10, version 1607
// on), else the system's.
UINT dpiOf(HWND window);

class Layout {
public:
    // Measures the dialog as created, at dpi.
    void measure(HWND window, int boxId, int buttonId, UINT dpi);
    // Places the controls in the window's client area at dpi.
    void apply(HWND window, UINT dpi) const;
    // The smallest frame at dpi.
    SIZE minimumFrame(UINT dpi) const;

private:
    int boxId_ = 0;
    int buttonId_ = 0;
    UINT dpi_ = 96;
    SIZE frame_{};   // the designed window size
    SIZE client_{};  // the designed client size
    RECT box_{};     // in client coordinates
    RECT button_{};
};

}  // namespace Mornstave
