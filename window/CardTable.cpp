#include "CardTable.hpp"

#include <commctrl.h>

#include <algorithm>

#include "Resource.h"
#include "WideText.hpp"

namespace Mornstave {

namespace {

// The columns' widths at 96 DPI until the user sets others.
constexpr int kDesignedWidths[kCardColumns] = {200, 120, 50, 60, 60, 80, 300, 150, 220};
constexpr int kDesignedAdviceWidth = 300;

int scaled(int value, UINT to, UINT from) {
    return MulDiv(value, static_cast<int>(to), static_cast<int>(from));
}

HWND child(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, int id) {
    return CreateWindowExW(0, className, text, WS_CHILD | style, 0, 0, 0, 0, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
}

}  // namespace

CardTable::~CardTable() {
    if (list_ != nullptr && IsWindow(list_)) RemoveWindowSubclass(list_, listProcedure, 0);
    if (font_ != nullptr) DeleteObject(font_);
}

void CardTable::create(HWND dialog, Layout& layout, Settings& settings, ResultBox& box, UINT dpi) {
    dialog_ = dialog;
    layout_ = &layout;
    settings_ = &settings;
    box_ = &box;
    dpi_ = dpi;
    layout.setTableHeight(settings.tableHeight);
    label_ = child(dialog, L"STATIC", L"絞り込み:", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, IDC_FILTER_LABEL);
    filter_ = child(dialog, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, IDC_FILTER);
    list_ = child(dialog, WC_LISTVIEWW, L"",
                  WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                  IDC_CARD_LIST);
    // Tab order: the filter, the list, then the dialog's own controls.
    SetWindowPos(label_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(filter_, label_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(list_, filter_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    SetWindowSubclass(list_, listProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    const std::vector<std::u16string> headings = CardRows::headings();
    for (int column = 0; column < kCardColumns; ++column) {
        insertColumn(column, headings[static_cast<std::size_t>(column)]);
    }
    setFont(dpi);
    setWidths(dpi);
}

void CardTable::insertColumn(int column, const std::u16string& heading) {
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    item.fmt = CardRows::isNumber(column) ? LVCFMT_RIGHT : LVCFMT_LEFT;
    item.pszText = const_cast<wchar_t*>(wide(heading));
    item.iSubItem = column;
    SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
}

// The 提案 column comes with an advised result and goes with the next one
// without advice, its width kept for its return.
void CardTable::showAdviceColumn(bool advised) {
    if (advised == adviceShown_) return;
    if (advised) {
        insertColumn(kAdvice, CardRows::headings(true)[kAdvice]);
        adviceShown_ = true;
        setAdviceWidth(dpi_);
    } else {
        keepAdviceWidth();
        SendMessageW(list_, LVM_DELETECOLUMN, kAdvice, 0);
        adviceShown_ = false;
    }
}

void CardTable::show(const Table& table, const std::u16string& published) {
    if (table.starts().empty()) {
        hide();
        return;
    }
    rows_ = CardRows(table, published);
    showAdviceColumn(rows_.advised());
    SetWindowTextW(filter_, L"");  // a new result starts unfiltered
    refresh();
    showSortArrow();
    for (HWND control : {label_, filter_, list_}) ShowWindow(control, SW_SHOWNA);
    layout_->showTable(label_, filter_, list_);
    layout_->apply(dialog_, dpi_);
}

void CardTable::hide() {
    if (!layout_->tableShown()) return;
    HWND focus = GetFocus();
    for (HWND control : {label_, filter_, list_}) ShowWindow(control, SW_HIDE);
    if (focus == filter_ || focus == list_) SetFocus(box_->handle());
    layout_->hideTable();
    layout_->apply(dialog_, dpi_);
}

// The rows as filtered and sorted now; the list asks for their cells.
void CardTable::refresh() {
    SendMessageW(list_, LVM_SETITEMCOUNT, rows_.size(), 0);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    InvalidateRect(list_, nullptr, TRUE);
}

void CardTable::showSortArrow() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < rows_.columns(); ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == rows_.sortColumn()) item.fmt |= rows_.ascending() ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    }
}

// The dialog's own face at 9 points, as the dialog's text, at dpi.
void CardTable::setFont(UINT dpi) {
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)), sizeof face, &face);
    face.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
    face.lfWidth = 0;
    HFONT font = CreateFontIndirectW(&face);
    if (font == nullptr) return;
    for (HWND control : {label_, filter_, list_}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;
}

void CardTable::setWidths(UINT dpi) {
    const std::vector<int>& kept = settings_->columnWidths;
    applied_.assign(kCardColumns, 0);
    for (int column = 0; column < kCardColumns; ++column) {
        const auto at = static_cast<std::size_t>(column);
        const int width = kept.size() == kCardColumns ? kept[at] : kDesignedWidths[column];
        applied_[at] = scaled(width, dpi, 96);
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, applied_[at]);
    }
    if (adviceShown_) setAdviceWidth(dpi);
}

void CardTable::setAdviceWidth(UINT dpi) {
    const int width = settings_->adviceWidth > 0 ? settings_->adviceWidth : kDesignedAdviceWidth;
    adviceApplied_ = scaled(width, dpi, 96);
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, kAdvice, adviceApplied_);
}

// Widths the user changed go into the settings, at 96 DPI; the others
// keep their stored figure, so that rounding never creeps in.
void CardTable::keepWidths() {
    std::vector<int> widths = settings_->columnWidths;
    if (widths.size() != kCardColumns) widths.assign(std::begin(kDesignedWidths), std::end(kDesignedWidths));
    for (int column = 0; column < kCardColumns; ++column) {
        const auto at = static_cast<std::size_t>(column);
        const int now = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0));
        if (now > 0 && now != applied_[at]) widths[at] = std::max(1, scaled(now, 96, dpi_));
    }
    settings_->columnWidths = widths;
    if (adviceShown_) keepAdviceWidth();
}

void CardTable::keepAdviceWidth() {
    const int now = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, kAdvice, 0));
    if (now > 0 && now != adviceApplied_) settings_->adviceWidth = std::max(1, scaled(now, 96, dpi_));
}

int CardTable::selectedRow() const {
    return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// The row's card in the box: its header line selected and at the top.
void CardTable::showRow(int row, bool focusBox) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    // The dialog manager selects a whole edit box it moves the focus to, so
    // the focus goes first.
    if (focusBox) SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box_->handle()), TRUE);
    const auto [from, to] = rows_.header(static_cast<std::size_t>(row));
    box_->select(from, to);
}

LRESULT CardTable::onNotify(const NMHDR& header) {
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
        if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0 &&
            static_cast<std::size_t>(item.iItem) < rows_.size()) {
            const std::u16string& cell = rows_.cell(static_cast<std::size_t>(item.iItem), item.iSubItem);
            const auto length = std::min<std::size_t>(cell.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
            std::copy_n(cell.data(), length, reinterpret_cast<char16_t*>(item.pszText));
            item.pszText[length] = L'\0';
        }
        return 0;
    }
    case LVN_COLUMNCLICK:
        rows_.sortBy(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        refresh();
        showSortArrow();
        return 0;
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.iItem >= 0 && (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
            showRow(change.iItem, false);
        }
        return 0;
    }
    case LVN_ODFINDITEMW:
        return -1;  // no search by typed letters: letters are for the filter
    case NM_DBLCLK:
        showRow(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem, true);
        return 0;
    }
    return 0;
}

// Return in the list opens the selected card in the box, as a double
// click does, rather than reaching the dialog as its default command.
LRESULT CALLBACK CardTable::listProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self) {
    auto& table = *reinterpret_cast<CardTable*>(self);
    if (message == WM_GETDLGCODE && lParam != 0) {
        const MSG& key = *reinterpret_cast<const MSG*>(lParam);
        if (key.message == WM_KEYDOWN && key.wParam == VK_RETURN) {
            return DefSubclassProc(list, message, wParam, lParam) | DLGC_WANTALLKEYS;
        }
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        table.showRow(table.selectedRow(), true);
        return 0;
    }
    if (message == WM_CHAR && wParam == L'\r') return 0;
    return DefSubclassProc(list, message, wParam, lParam);
}

bool CardTable::handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    result = TRUE;
    if (list_ == nullptr) return false;  // not made yet
    switch (message) {
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom != list_) return false;
        SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, onNotify(header));
        return true;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FILTER && HIWORD(wParam) == EN_CHANGE) {
            std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(filter_)) + 1, L'\0');
            GetWindowTextW(filter_, text.data(), static_cast<int>(text.size()));
            rows_.filter(reinterpret_cast<const char16_t*>(text.data()));
            refresh();
            return true;
        }
        if (LOWORD(wParam) == IDM_SELECT_ALL && GetFocus() == filter_) {
            SendMessageW(filter_, EM_SETSEL, 0, -1);  // Ctrl+A in the filter is the filter's
            return true;
        }
        if (LOWORD(wParam) == IDM_FIND) {
            if (layout_->tableShown()) {
                SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(filter_), TRUE);
                SendMessageW(filter_, EM_SETSEL, 0, -1);
            }
            return true;
        }
        return false;
    case WM_SETCURSOR: {
        POINT point{};
        GetCursorPos(&point);
        ScreenToClient(dialog_, &point);
        if (reinterpret_cast<HWND>(wParam) != dialog_ || !layout_->onSplitter(dialog_, point, dpi_)) return false;
        SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
        SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
        return true;
    }
    case WM_LBUTTONDOWN: {
        const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (!layout_->onSplitter(dialog_, point, dpi_)) return false;
        RECT list{};
        GetWindowRect(list_, &list);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&list), 2);
        grab_ = point.y - list.bottom;  // the bar keeps its place under the pointer
        dragging_ = true;
        SetCapture(dialog_);
        return true;
    }
    case WM_MOUSEMOVE: {
        if (!dragging_) return false;
        const int height = static_cast<short>(HIWORD(lParam)) - grab_ - layout_->tableTop(dpi_);
        layout_->setTableHeight(std::max(1, scaled(height, 96, dpi_)));
        layout_->apply(dialog_, dpi_);
        return true;
    }
    case WM_LBUTTONUP:
        if (!dragging_) return false;
        ReleaseCapture();
        return true;
    case WM_CAPTURECHANGED:
        if (!dragging_) return false;
        dragging_ = false;
        settings_->tableHeight = layout_->tableHeight();
        saveSettings(*settings_);
        return true;
    case WM_DPICHANGED:  // the dialog lays out again after this
        keepWidths();
        dpi_ = HIWORD(wParam);
        setFont(dpi_);
        setWidths(dpi_);
        return false;
    case WM_CLOSE:  // the dialog saves the settings after this
        keepWidths();
        return false;
    }
    return false;
}

HACCEL withFindKey(HACCEL accelerators) {
    const int count = CopyAcceleratorTableW(accelerators, nullptr, 0);
    std::vector<ACCEL> keys(static_cast<std::size_t>(count) + 1);
    CopyAcceleratorTableW(accelerators, keys.data(), count);
    keys.back() = {FVIRTKEY | FCONTROL, 'F', IDM_FIND};
    HACCEL withFind = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    return withFind != nullptr ? withFind : accelerators;
}

}  // namespace Mornstave
