#include "OptionsDialog.hpp"

#include <iterator>
#include <string>

#include "Resource.h"

namespace Mornstave {

namespace {

void onInit(HWND dialog, const Settings& settings) {
    CheckRadioButton(dialog, IDC_ENCODING_CP932, IDC_ENCODING_UTF8,
                     settings.encoding == SaveEncoding::utf8WithBom ? IDC_ENCODING_UTF8
                                                                    : IDC_ENCODING_CP932);
    HWND sizes = GetDlgItem(dialog, IDC_FONT_SIZE);
    for (int points : kFontSizes) {
        const std::wstring text = std::to_wstring(points);
        const auto at = SendMessageW(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(sizes, CB_SETITEMDATA, at, points);
        if (points == settings.fontPoints) SendMessageW(sizes, CB_SETCURSEL, at, 0);
    }
    CheckDlgButton(dialog, IDC_ADVISE, settings.advise ? BST_CHECKED : BST_UNCHECKED);
}

void onOk(HWND dialog, Settings& settings) {
    settings.encoding = IsDlgButtonChecked(dialog, IDC_ENCODING_UTF8) == BST_CHECKED
                            ? SaveEncoding::utf8WithBom
                            : SaveEncoding::cp932;
    HWND sizes = GetDlgItem(dialog, IDC_FONT_SIZE);
    const auto selected = SendMessageW(sizes, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR) {
        settings.fontPoints = static_cast<int>(SendMessageW(sizes, CB_GETITEMDATA, selected, 0));
    }
    settings.advise = IsDlgButtonChecked(dialog, IDC_ADVISE) == BST_CHECKED;
}

INT_PTR CALLBACK optionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        onInit(dialog, *reinterpret_cast<Settings*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            onOk(dialog, *reinterpret_cast<Settings*>(GetWindowLongPtrW(dialog, DWLP_USER)));
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

bool editOptions(HINSTANCE instance, HWND owner, Settings& settings) {
    Settings edited = settings;
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, optionsProc,
                        reinterpret_cast<LPARAM>(&edited)) != IDOK) {
        return false;
    }
    settings = edited;
    return true;
}

}  // namespace Mornstave
