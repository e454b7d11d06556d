#include "MainWindow.hpp"

#include <commdlg.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "Compose.hpp"
#include "Resource.h"
#include "text/Cp932.hpp"

namespace Mornstave {

namespace {

constexpr DWORD kPathBufferSize = MAX_PATH;  // 260, as the dialogs expect

// Windows' wide characters are UTF-16 units, as char16_t is.
const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string utf16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

Session& sessionOf(HWND window) {
    return *reinterpret_cast<Session*>(GetWindowLongPtrW(window, DWLP_USER));
}

void warn(HWND owner, const std::u16string& text) {
    MessageBoxW(owner, wide(text), nullptr, MB_OK | MB_ICONWARNING);
}

void show(HWND window, const std::u16string& text) {
    SetWindowTextW(GetDlgItem(window, IDC_RESULT), wide(text));
}

void publishResult(HWND window, const Composed& composed) {
    const Composed published = publish(composed);
    sessionOf(window).resultBytes = published.bytes;
    show(window, published.shown);
}

// A multi-line edit in a dialog posts WM_CLOSE to the dialog on Escape,
// which would end the program and lose an unsaved result.  The box drops
// the key, both as the key press (what Wine's edit acts on) and as the
// character, and leaves everything else to its own procedure.
LRESULT CALLBACK resultBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) {
        return 0;
    }
    return CallWindowProcW(sessionOf(GetParent(box)).resultBoxProc, box, message, wParam, lParam);
}

}  // namespace

void processCardFile(HWND window) {
    wchar_t path[kPathBufferSize] = L"skill*.vnt";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    // One string, ended by two zero characters: the literal's own and this one.
    dialog.lpstrFilter = L"skill*.vnt\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathBufferSize;
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) {
        return;
    }
    try {
        publishResult(window, composeCard(utf16(path)));
    } catch (const std::runtime_error& e) {
        // The message alone; the last good result stays what "save" writes.
        show(window, Vantorn::cp932ToUtf16(e.what()));
    }
}

void processCardFolder(HWND window) {
    Session& session = sessionOf(window);
    wchar_t path[kPathBufferSize] = L"";
    BROWSEINFOW browse{};
    browse.hwndOwner = window;
    browse.pszDisplayName = path;
    browse.lpszTitle = L"シナリオフォルダを選択してください";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE items = SHBrowseForFolderW(&browse);
    if (items == nullptr) {
        return;
    }
    if (!SHGetPathFromIDListW(items, path)) {
        warn(window, u"SHGetPathFromIDList()に失敗");
        session.taskAllocator->Free(items);
        return;
    }
    session.taskAllocator->Free(items);

    const std::u16string dir = folderPrefix(utf16(path));
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(dir + u"skill*.vnt"), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        warn(window, u"技能カードが見つかりません");
        return;
    }
    Composed result;
    do {
        composeEntry(result, dir + utf16(entry.cFileName));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    publishResult(window, result);
}

void saveResult(HWND window) {
    wchar_t path[kPathBufferSize] = L"report.txt";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;  // the main window stays usable meanwhile
    dialog.lpstrFilter = L"*.txt\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathBufferSize;
    // No overwrite prompt and no default extension, on purpose.
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&dialog)) {
        return;
    }
    // libstdc++ opens a wide path with _wfopen, so any name can be written.
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    if (!file) {
        warn(window, utf16(path) + u": 開けません");
        return;
    }
    const std::string& bytes = sessionOf(window).resultBytes;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    if (!file) {
        warn(window, utf16(path) + u": 書き込みエラー");
    }
}

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        Session& session = *reinterpret_cast<Session*>(lParam);
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(session.smallIcon));
        HWND resultBox = GetDlgItem(window, IDC_RESULT);
        SetWindowTextW(resultBox, L"ここに結果が表示されます");
        session.resultBoxProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            resultBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(resultBoxProc)));
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(window, 0);
        return TRUE;
    case WM_COMMAND:
        // Only the id counts; the notification code is not looked at, and
        // IDCANCEL (Escape) is deliberately left alone.
        switch (LOWORD(wParam)) {
        case IDM_PROCESS_CARD:
            processCardFile(window);
            return TRUE;
        case IDM_PROCESS_FOLDER:
            processCardFolder(window);
            return TRUE;
        case IDC_SAVE:
            saveResult(window);
            return TRUE;
        case IDM_ABOUT:
            DialogBoxParamW(sessionOf(window).instance, MAKEINTRESOURCEW(IDD_ABOUT), window,
                            aboutDialogProc, 0);
            return TRUE;
        case IDM_EXIT:
            SendMessageW(window, WM_CLOSE, 0, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK aboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(window, 1);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace Mornstave
