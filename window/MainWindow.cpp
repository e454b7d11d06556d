#include "MainWindow.hpp"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "Compose.hpp"
#include "OptionsDialog.hpp"
#include "SavedFile.hpp"
#include "Shortcut.hpp"
#include "WideText.hpp"
#include "Resource.h"
#include "text/Cp932.hpp"

namespace Mornstave {

namespace {

constexpr DWORD kPathBufferSize = MAX_PATH;  // 260, as the dialogs expect
constexpr UINT_PTR kFillTimer = 1;
// Posted by the dialog to itself: the command line's paths, once shown.
constexpr UINT kArgumentsMessage = WM_APP + 2;

std::u16string utf16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

Session& sessionOf(HWND window) {
    return *reinterpret_cast<Session*>(GetWindowLongPtrW(window, DWLP_USER));
}

void warn(HWND owner, const std::u16string& text) {
    MessageBoxW(owner, wide(text), nullptr, MB_OK | MB_ICONWARNING);
}

bool isFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- the busy state and the result ----------------------------------------------

// While cards are composed or the box still fills, commands that would
// start other work are greyed and the pointer shows the program working.
void setBusy(HWND window, bool busy) {
    Session& session = sessionOf(window);
    session.busy = busy;
    const UINT state = MF_BYCOMMAND | (busy ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(GetMenu(window), IDM_PROCESS_CARD, state);
    EnableMenuItem(GetMenu(window), IDM_PROCESS_FOLDER, state);
    EnableWindow(GetDlgItem(window, IDC_SAVE), !busy);
}

// A message in the box alone; the last result stays what "save" writes.
void showMessage(HWND window, const std::u16string& text) {
    Session& session = sessionOf(window);
    session.cardTable.hide();
    session.resultBox.show(window, kFillTimer, text);
}

void publishResult(HWND window, const Composed& composed, Table table) {
    Session& session = sessionOf(window);
    session.table = std::move(table);
    EnableMenuItem(GetMenu(window), IDM_SAVE_TABLE,
                   MF_BYCOMMAND | (session.table.empty() ? MF_GRAYED : MF_ENABLED));
    Composed published = publish(composed);
    session.resultBytes = std::move(published.bytes);
    session.resultText = published.shown;
    session.cardTable.show(session.table, session.resultText);
    session.resultBox.show(window, kFillTimer, std::move(published.shown));
    setBusy(window, session.resultBox.filling());
}

void showCard(HWND window, const std::u16string& path) {
    const bool advised = sessionOf(window).settings.advise;
    Composition result = *Composition::of({path}, Composition::Paths::cards, true, nullptr, advised);
    if (const Vantorn::SummaryFailure* failed = result.failure()) {
        showMessage(window, Vantorn::cp932ToUtf16(failed->message));
        return;
    }
    publishResult(window, result.text, std::move(result.table));
}

// Folders are walked and cards composed off the window's thread.
void startWork(HWND window, std::vector<std::u16string> paths) {
    setBusy(window, true);
    Session& session = sessionOf(window);
    session.work.start(window, std::move(paths), session.settings.advise);
}

// Dropped or given paths: one card is shown as the open command shows it;
// several paths, or a folder, as a folder is: each folder's cards, each
// other path as a card of its own, in the order given.
void processPaths(HWND window, std::vector<std::u16string> paths) {
    if (paths.empty() || sessionOf(window).busy) {
        return;
    }
    if (paths.size() == 1 && !isFolder(paths.front())) {
        showCard(window, paths.front());
        return;
    }
    startWork(window, std::move(paths));
}

// --- commands ---------------------------------------------------------------------

// The folder part of a path a file dialog returned, separator included.
std::u16string folderOf(const wchar_t* path, WORD fileOffset) {
    return utf16(path).substr(0, fileOffset);
}

// The one set-up of the file dialogs: the name the box starts with, the
// filter (pairs of strings, ended by one more zero character), the folder
// it opens in (empty: the system's choice) and the flags.
struct FileDialog {
    HWND owner = nullptr;
    const wchar_t* name = L"";
    const wchar_t* filter = nullptr;
    DWORD filterIndex = 0;
    const wchar_t* defaultExtension = nullptr;
    std::u16string folder;
    DWORD flags = 0;
};

struct ChosenFile {
    std::u16string path;
    std::u16string folder;  // separator included
    DWORD filterIndex = 0;  // the file type chosen, from 1
};

std::optional<ChosenFile> chooseFile(const FileDialog& setUp, bool save) {
    wchar_t path[kPathBufferSize] = L"";
    lstrcpynW(path, setUp.name, kPathBufferSize);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = setUp.owner;
    dialog.lpstrFilter = setUp.filter;
    dialog.nFilterIndex = setUp.filterIndex;
    dialog.lpstrDefExt = setUp.defaultExtension;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathBufferSize;
    dialog.lpstrInitialDir = setUp.folder.empty() ? nullptr : wide(setUp.folder);
    dialog.Flags = setUp.flags;
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) {
        return std::nullopt;
    }
    return ChosenFile{utf16(path), folderOf(path, dialog.nFileOffset), dialog.nFilterIndex};
}

void processCardFile(HWND window) {
    Session& session = sessionOf(window);
    FileDialog setUp;
    setUp.owner = window;
    setUp.name = L"skill*.vnt";
    // One string, ended by two zero characters: the literal's own and this one.
    setUp.filter = L"skill*.vnt\0";
    setUp.folder = session.settings.cardFolder;
    setUp.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    const std::optional<ChosenFile> chosen = chooseFile(setUp, false);
    if (!chosen) {
        return;
    }
    session.settings.cardFolder = chosen->folder;
    saveSettings(session.settings);
    showCard(window, chosen->path);
}

// Starts the folder browser in the folder chosen last.
int CALLBACK browseCallback(HWND browser, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED && folder != 0) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder);
    }
    return 0;
}

void processCardFolder(HWND window) {
    Session& session = sessionOf(window);
    wchar_t path[kPathBufferSize] = L"";
    BROWSEINFOW browse{};
    browse.hwndOwner = window;
    browse.pszDisplayName = path;
    browse.lpszTitle = L"シナリオフォルダを選択してください";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = browseCallback;
    browse.lParam = session.settings.scenarioFolder.empty()
                        ? 0
                        : reinterpret_cast<LPARAM>(wide(session.settings.scenarioFolder));
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
    session.settings.scenarioFolder = utf16(path);
    saveSettings(session.settings);
    startWork(window, {utf16(path)});
}

// The bytes "save" writes: the CP932 text, or the shown text as UTF-8 with
// a byte-order mark.
std::string savedBytes(const Session& session) {
    if (session.settings.encoding == SaveEncoding::utf8WithBom) {
        return "\xEF\xBB\xBF" + Vantorn::utf16ToUtf8(session.resultText);
    }
    return session.resultBytes;
}

void saveResult(HWND window) {
    Session& session = sessionOf(window);
    FileDialog setUp;
    setUp.owner = nullptr;  // the main window stays usable meanwhile
    setUp.name = L"report.txt";
    setUp.filter = L"*.txt\0";
    setUp.folder = session.settings.saveFolder;
    // No default extension, on purpose; an existing file is asked about first.
    setUp.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    const std::optional<ChosenFile> chosen = chooseFile(setUp, true);
    if (!chosen) {
        return;
    }
    session.settings.saveFolder = chosen->folder;
    saveSettings(session.settings);
    const std::string bytes = savedBytes(session);
    const auto failure = saveWhole(wide(chosen->path), [&](std::ostream& file) {
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    if (failure) warn(window, chosen->path + *failure);
}

// The table of the last result as CSV or HTML, as the file type chosen in
// the dialog says.
void saveTable(HWND window) {
    Session& session = sessionOf(window);
    FileDialog setUp;
    setUp.owner = window;
    setUp.name = L"summary";
    setUp.filter = L"CSV (*.csv)\0*.csv\0HTML (*.html)\0*.html\0";
    setUp.filterIndex = 1;
    setUp.defaultExtension = L"csv";
    setUp.folder = session.settings.saveFolder;
    setUp.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    const std::optional<ChosenFile> chosen = chooseFile(setUp, true);
    if (!chosen) {
        return;
    }
    session.settings.saveFolder = chosen->folder;
    saveSettings(session.settings);
    const auto failure = saveWhole(wide(chosen->path), [&](std::ostream& file) {
        if (chosen->filterIndex == 2) {
            session.table.writeHtml(file);
        } else {
            session.table.writeCsv(file);
        }
    });
    if (failure) warn(window, chosen->path + *failure);
}

void onOptions(HWND window) {
    Session& session = sessionOf(window);
    if (editOptions(session.instance, window, session.settings)) {
        saveSettings(session.settings);
        session.resultBox.setFont(window, session.settings.fontPoints, session.dpi);
    }
}

// --- set-up ------------------------------------------------------------------------

// The menu resource stays as first released (greyed options, no key
// names); the shortcuts are named from the accelerator table, so the two
// cannot disagree.
void labelShortcuts(HMENU menu, HACCEL accelerators) {
    const int count = CopyAcceleratorTableW(accelerators, nullptr, 0);
    std::vector<ACCEL> keys(static_cast<std::size_t>(count));
    CopyAcceleratorTableW(accelerators, keys.data(), count);
    for (const ACCEL& key : keys) {
        wchar_t text[128] = L"";
        if (GetMenuStringW(menu, key.cmd, text, 128, MF_BYCOMMAND) == 0) {
            continue;  // a key without a menu item
        }
        std::u16string label = withShortcut(
            utf16(text), {(key.fVirt & FCONTROL) != 0, (key.fVirt & FSHIFT) != 0,
                          (key.fVirt & FALT) != 0, static_cast<char16_t>(key.key)});
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING;
        item.dwTypeData = reinterpret_cast<wchar_t*>(label.data());
        SetMenuItemInfoW(menu, key.cmd, FALSE, &item);
    }
}

// 一覧表を保存 after the folder command, greyed until there is a result.
// Added here, as the shortcuts are named here: the menu resource stays as
// first released.
void addTableItem(HMENU menu) {
    wchar_t text[] = L"一覧表を保存(&L)";
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
    item.wID = IDM_SAVE_TABLE;
    item.fState = MFS_GRAYED;
    item.dwTypeData = text;
    InsertMenuItemW(GetSubMenu(menu, 0), 2, TRUE, &item);
}

void rememberPlacement(HWND window) {
    Session& session = sessionOf(window);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) {
        return;
    }
    session.settings.hasPlacement = true;
    session.settings.normal = placement.rcNormalPosition;
    session.settings.maximized = placement.showCmd == SW_SHOWMAXIMIZED ||
                                 (placement.showCmd == SW_SHOWMINIMIZED &&
                                  (placement.flags & WPF_RESTORETOMAXIMIZED));
    session.settings.dpi = session.dpi;
    saveSettings(session.settings);
}

// --- message handlers --------------------------------------------------------------

BOOL onInitDialog(HWND window, Session& session) {
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&session));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(session.smallIcon));
    session.settings = loadSettings();
    session.dpi = dpiOf(window);
    session.layout.measure(window, IDC_RESULT, IDC_SAVE, session.dpi);
    session.laidOut = true;

    HWND box = GetDlgItem(window, IDC_RESULT);
    session.resultBox.attach(box);
    session.resultBox.setFont(window, session.settings.fontPoints, session.dpi);
    SetWindowTextW(box, L"ここに結果が表示されます");
    session.cardTable.create(window, session.layout, session.settings, session.resultBox, session.dpi);

    HMENU menu = GetMenu(window);
    addTableItem(menu);
    labelShortcuts(menu, session.accelerators);
    EnableMenuItem(menu, IDM_OPTIONS, MF_BYCOMMAND | MF_ENABLED);
    DragAcceptFiles(window, TRUE);
    if (!session.arguments.empty()) {
        PostMessageW(window, kArgumentsMessage, 0, 0);
    }
    return TRUE;
}

void onSize(HWND window) {
    const Session& session = sessionOf(window);
    if (session.laidOut) {
        session.layout.apply(window, session.dpi);
    }
}

void onGetMinMaxInfo(HWND window, MINMAXINFO& limits) {
    const Session* session = reinterpret_cast<Session*>(GetWindowLongPtrW(window, DWLP_USER));
    if (session != nullptr && session->laidOut) {
        const SIZE minimum = session->layout.minimumFrame(session->dpi);
        limits.ptMinTrackSize = {minimum.cx, minimum.cy};
    }
}

// A new DPI (the window moved to another monitor, or the scale changed):
// the frame Windows suggests, the box's font and the layout at that DPI.
void onDpiChanged(HWND window, UINT dpi, const RECT& suggested) {
    Session& session = sessionOf(window);
    session.dpi = dpi;
    session.resultBox.setFont(window, session.settings.fontPoints, dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    session.layout.apply(window, dpi);
}

void onDropFiles(HWND window, HDROP drop) {
    std::vector<std::u16string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::vector<wchar_t> path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size()));
        paths.push_back(utf16(path.data()));
    }
    DragFinish(drop);
    processPaths(window, paths);
}

void onComposed(HWND window, LPARAM lParam) {
    const std::unique_ptr<Composition> result = sessionOf(window).work.takeResult(lParam);
    if (result->cards == 0) {
        // As before any work: the last result stays.
        setBusy(window, false);
        warn(window, u"技能カードが見つかりません");
        return;
    }
    publishResult(window, result->text, std::move(result->table));
}

void onTimer(HWND window, UINT_PTR id) {
    if (id == kFillTimer && !sessionOf(window).resultBox.fillStep(window, kFillTimer)) {
        setBusy(window, false);
    }
}

BOOL onSetCursor(HWND window, LPARAM lParam) {
    if (!sessionOf(window).busy || LOWORD(lParam) != HTCLIENT) {
        return FALSE;
    }
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

void onClose(HWND window) {
    rememberPlacement(window);
    DestroyWindow(window);
}

void onDestroy(HWND window) {
    Session& session = sessionOf(window);
    session.work.stop();
    // A result posted just before the work was stopped is freed here.
    MSG late;
    while (PeekMessageW(&late, window, kComposedMessage, kComposedMessage, PM_REMOVE)) {
        session.work.takeResult(late.lParam);
    }
    PostQuitMessage(0);
}

BOOL onCommand(HWND window, WORD id) {
    // Only the id counts; the notification code is not looked at, and
    // IDCANCEL (Escape) is deliberately left alone.
    Session& session = sessionOf(window);
    switch (id) {
    case IDM_PROCESS_CARD:
        if (!session.busy) processCardFile(window);
        return TRUE;
    case IDM_PROCESS_FOLDER:
        if (!session.busy) processCardFolder(window);
        return TRUE;
    case IDC_SAVE:
        if (!session.busy) saveResult(window);
        return TRUE;
    case IDM_SAVE_TABLE:
        if (!session.busy && !session.table.empty()) saveTable(window);
        return TRUE;
    case IDM_SELECT_ALL:
        session.resultBox.selectAll();
        SetFocus(session.resultBox.handle());
        return TRUE;
    case IDM_OPTIONS:
        onOptions(window);
        return TRUE;
    case IDM_ABOUT:
        DialogBoxParamW(session.instance, MAKEINTRESOURCEW(IDD_ABOUT), window, aboutDialogProc, 0);
        return TRUE;
    case IDM_EXIT:
        SendMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Session* session = reinterpret_cast<Session*>(GetWindowLongPtrW(window, DWLP_USER));
    INT_PTR handled = FALSE;
    if (session != nullptr && session->cardTable.handle(message, wParam, lParam, handled)) {
        return handled;
    }
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(window, *reinterpret_cast<Session*>(lParam));
    case WM_SIZE:
        onSize(window);
        return FALSE;
    case WM_GETMINMAXINFO:
        onGetMinMaxInfo(window, *reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_DPICHANGED:
        onDpiChanged(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_DROPFILES:
        onDropFiles(window, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case kArgumentsMessage:
        processPaths(window, sessionOf(window).arguments);
        return TRUE;
    case kComposedMessage:
        onComposed(window, lParam);
        return TRUE;
    case WM_TIMER:
        onTimer(window, wParam);
        return TRUE;
    case WM_SETCURSOR:
        return onSetCursor(window, lParam);
    case WM_COMMAND:
        return onCommand(window, LOWORD(wParam));
    case WM_CLOSE:
        onClose(window);
        return TRUE;
    case WM_DESTROY:
        onDestroy(window);
        return TRUE;
    }
    return FALSE;
}

void showMainWindow(HWND window, int showCommand) {
    const Session& session = sessionOf(window);
    const Settings& settings = session.settings;
    if (!settings.hasPlacement) {
        ShowWindow(window, showCommand);
        return;
    }
    // The frame as left, at this DPI and no smaller than designed.
    RECT frame = settings.normal;
    const SIZE minimum = session.layout.minimumFrame(session.dpi);
    const LONG width = std::max<LONG>(
        MulDiv(frame.right - frame.left, static_cast<int>(session.dpi), static_cast<int>(settings.dpi)),
        minimum.cx);
    const LONG height = std::max<LONG>(
        MulDiv(frame.bottom - frame.top, static_cast<int>(session.dpi), static_cast<int>(settings.dpi)),
        minimum.cy);
    frame.right = frame.left + width;
    frame.bottom = frame.top + height;
    if (MonitorFromRect(&frame, MONITOR_DEFAULTTONULL) == nullptr) {
        ShowWindow(window, showCommand);
        return;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.rcNormalPosition = frame;
    placement.showCmd = settings.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(window, &placement);
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
