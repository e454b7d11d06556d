#include "MainWindow.hpp"

#include <commdlg.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Compose.hpp"
#include "Resource.h"

namespace Mornstave {

namespace {

constexpr DWORD kPathBufferSize = MAX_PATH;  // 260, as the dialogs expect

Session& sessionOf(HWND window) {
    return *reinterpret_cast<Session*>(GetWindowLongPtrA(window, DWLP_USER));
}

void warn(HWND owner, const std::string& text) {
    MessageBoxA(owner, text.c_str(), nullptr, MB_OK | MB_ICONWARNING);
}

void show(HWND window, const std::string& text) {
    SetWindowTextA(GetDlgItem(window, IDC_RESULT), text.c_str());
}

void publishResult(HWND window, const std::string& text) {
    Session& session = sessionOf(window);
    session.resultText = publish(text);
    show(window, session.resultText);
}

// A multi-line edit in a dialog posts WM_CLOSE to the dialog on Escape,
// which would end the program and lose an unsaved result.  The box drops
// the key, both as the key press (what Wine's edit acts on) and as the
// character, and leaves everything else to its own procedure.
LRESULT CALLBACK resultBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) {
        return 0;
    }
    return CallWindowProcA(sessionOf(GetParent(box)).resultBoxProc, box, message, wParam, lParam);
}

}  // namespace

void processCardFile(HWND window) {
    char path[kPathBufferSize] = "skill*.vnt";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    // One string, ended by two zero bytes: the literal's own and this one.
    dialog.lpstrFilter = "skill*.vnt\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameA(&dialog)) {
        return;
    }
    try {
        publishResult(window, composeCard(path));
    } catch (const std::runtime_error& e) {
        // The message alone; the last good result stays what "save" writes.
        show(window, e.what());
    }
}

void processCardFolder(HWND window) {
    Session& session = sessionOf(window);
    char path[kPathBufferSize] = "";
    BROWSEINFOA browse{};
    browse.hwndOwner = window;
    browse.pszDisplayName = path;
    browse.lpszTitle = "シナリオフォルダを選択してください";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE items = SHBrowseForFolderA(&browse);
    if (items == nullptr) {
        return;
    }
    if (!SHGetPathFromIDListA(items, path)) {
        warn(window, "SHGetPathFromIDList()に失敗");
        session.taskAllocator->Free(items);
        return;
    }
    session.taskAllocator->Free(items);

    const std::string dir = folderPrefix(path);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((dir + "skill*.vnt").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        warn(window, "技能カードが見つかりません");
        return;
    }
    std::ostringstream out;
    do {
        composeFolderEntry(out, dir, entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    publishResult(window, out.str());
}

void saveResult(HWND window) {
    char path[kPathBufferSize] = "report.txt";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;  // the main window stays usable meanwhile
    dialog.lpstrFilter = "*.txt\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    // No overwrite prompt and no default extension, on purpose.
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&dialog)) {
        return;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        warn(window, std::string(path) + ": 開けません");
        return;
    }
    const std::string& text = sessionOf(window).resultText;
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.flush();
    if (!file) {
        warn(window, std::string(path) + ": 書き込みエラー");
    }
}

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        Session& session = *reinterpret_cast<Session*>(lParam);
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(session.smallIcon));
        HWND resultBox = GetDlgItem(window, IDC_RESULT);
        SetWindowTextA(resultBox, "ここに結果が表示されます");
        session.resultBoxProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
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
            DialogBoxParamA(sessionOf(window).instance, MAKEINTRESOURCEA(IDD_ABOUT), window,
                            aboutDialogProc, 0);
            return TRUE;
        case IDM_EXIT:
            SendMessageA(window, WM_CLOSE, 0, 0);
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
