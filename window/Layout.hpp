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

    // The card list, shown above the box: the filter's label and field in
    // the band over the box's designed top, the list from that top down,
    // a splitter bar, then the box.  Hidden, the window is as designed.
    void showTable(HWND label, HWND filter, HWND list);
    void hideTable();
    bool tableShown() const { return list_ != nullptr; }
    // The list's height, in pixels at 96 DPI; 0 for half the room.
    int tableHeight() const { return tableHeight_; }
    void setTableHeight(int height96) { tableHeight_ = height96; }
    // Whether a point of the client area lies on the splitter bar.
    bool onSplitter(HWND window, POINT point, UINT dpi) const;
    // Where the list begins, in client coordinates at dpi.
    LONG tableTop(UINT dpi) const;

private:
    struct Panes {
        RECT list, box;
    };
    Panes panes(HWND window, UINT dpi) const;

    HWND label_ = nullptr;
    HWND filter_ = nullptr;
    HWND list_ = nullptr;
    int tableHeight_ = 0;
    int boxId_ = 0;
    int buttonId_ = 0;
    UINT dpi_ = 96;
    SIZE frame_{};   // the designed window size
    SIZE client_{};  // the designed client size
    RECT box_{};     // in client coordinates
    RECT button_{};
};

}  // namespace Mornstave
