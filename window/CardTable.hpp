#pragma once

// The list of a folder's cards above the result box: a virtual report
// list (the rows are drawn from CardRows as the list asks for them), a
// filter field over it and a splitter bar under it.  A header click sorts,
// a selected row brings its card's block into the box.  Only a result of
// several cards has the list; the window of a single card is as designed.
// An advised result adds the 提案 column last, its width kept on its own.

#include <windows.h>

#include <string>
#include <vector>

#include "CardRows.hpp"
#include "Layout.hpp"
#include "ResultBox.hpp"
#include "Settings.hpp"

namespace Mornstave {

class CardTable {
public:
    CardTable() = default;
    ~CardTable();
    CardTable(const CardTable&) = delete;
    CardTable& operator=(const CardTable&) = delete;

    // Makes the hidden list and filter in the dialog; the layout places
    // them, the settings give and keep their sizes.
    void create(HWND dialog, Layout& layout, Settings& settings, ResultBox& box, UINT dpi);
    // The rows of table, whose text the box shows as published; a table of
    // a single card (no entries) hides the list.
    void show(const Table& table, const std::u16string& published);
    void hide();

    // The dialog's messages that concern the list, the filter or the
    // splitter; true (and result) when handled, false to go on as before.
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    static LRESULT CALLBACK listProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    LRESULT onNotify(const NMHDR& header);
    void setFont(UINT dpi);
    void insertColumn(int column, const std::u16string& heading);
    void showAdviceColumn(bool advised);
    void setWidths(UINT dpi);
    void setAdviceWidth(UINT dpi);
    void keepWidths();
    void keepAdviceWidth();
    void refresh();
    void showSortArrow() const;
    int selectedRow() const;
    void showRow(int row, bool focusBox);

    HWND dialog_ = nullptr;
    HWND label_ = nullptr;
    HWND filter_ = nullptr;
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    Layout* layout_ = nullptr;
    Settings* settings_ = nullptr;
    ResultBox* box_ = nullptr;
    UINT dpi_ = 96;
    std::vector<int> applied_;  // the column widths last set, in pixels
    bool adviceShown_ = false;  // the list has the 提案 column, last
    int adviceApplied_ = 0;     // its width last set, in pixels
    CardRows rows_;
    bool dragging_ = false;
    int grab_ = 0;  // the pointer's distance below the list while dragging
};

// The keys of the accelerator table, and Ctrl+F for the card list's
// filter (a key of its own, without a menu item).
HACCEL withFindKey(HACCEL accelerators);

}  // namespace Mornstave
