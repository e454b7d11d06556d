#include "Remote.hpp"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "text/Cp932.hpp"

namespace MornstaveE2E {

namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 10000;

template <class Condition>
bool pollUntil(Condition condition, DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(kPollMs);
    }
}

}  // namespace

LRESULT sendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result)) {
        throw CheckFailed("the program did not answer message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

namespace {

struct Search {
    DWORD pid;
    const std::function<bool(HWND)>* matches;
    HWND found;
};

BOOL CALLBACK visitTopLevel(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search.pid && IsWindowVisible(window) && className(window) == u"#32770" &&
        (*search.matches)(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

std::string firstDifference(const std::u16string& actual, const std::u16string& expected) {
    std::u16string::size_type i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
        ++i;
    }
    const auto from = i < 40 ? 0 : i - 40;
    return "differs at character " + std::to_string(i) + " of " + std::to_string(actual.size()) +
           " (expected " + std::to_string(expected.size()) + "); shown: ..." +
           narrow(actual.substr(from, 80)) + "... expected: ..." +
           narrow(expected.substr(from, 80)) + "...";
}

std::u16string lastComponent(const std::u16string& path) {
    const auto separator = path.rfind(u'\\');
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, DWORD limitMs) {
    return pollUntil(condition, limitMs);
}

void check(bool condition, const std::string& message) {
    if (!condition) {
        throw CheckFailed(message);
    }
}

std::string narrow(const std::u16string& text) {
    return Vantorn::utf16ToCp932(text);
}

std::u16string className(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return utf16(name);
}

std::u16string textOf(HWND window) {
    check(IsWindow(window), "window to read is gone");
    const auto length = static_cast<std::size_t>(sendTimed(window, WM_GETTEXTLENGTH, 0, 0));
    std::vector<char16_t> buffer(length + 1, u'\0');
    const auto copied = static_cast<std::size_t>(
        sendTimed(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    return std::u16string(buffer.data(), copied < buffer.size() ? copied : length);
}

HWND ownerOf(HWND window) {
    return GetWindow(window, GW_OWNER);
}

bool hasChild(HWND window, const wchar_t* childClass) {
    return FindWindowExW(window, nullptr, childClass, nullptr) != nullptr;
}

Program::Program(const std::u16string& exe, const std::u16string& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::u16string commandLine = u"\"" + exe + u"\"" + (arguments.empty() ? u"" : u" " + arguments);
    check(CreateProcessW(wide(exe), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr,
                         nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_),
          "cannot start " + narrow(exe));
    main_ = waitForDialog(
        [](HWND window) {
            return ownerOf(window) == nullptr && GetDlgItem(window, 1002) != nullptr;
        },
        "main window");
}

Program::~Program() {
    if (running()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, kWaitMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool Program::running() const {
    return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Program::resultBox() const {
    return GetDlgItem(main_, 1002);
}

void Program::command(WORD id) const {
    check(PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0), "cannot post a command");
}

std::u16string Program::result() const {
    return textOf(resultBox());
}

void Program::waitForResult(const std::u16string& expected, const std::string& what) const {
    std::u16string shown;
    const bool same = pollUntil(
        [&] {
            check(running(), "the program ended while waiting for " + what);
            shown = result();
            return shown == expected;
        },
        kWaitMs);
    check(same, what + ": result box " + firstDifference(shown, expected));
}

HWND Program::waitForDialog(const std::function<bool(HWND)>& matches,
                            const std::string& what) const {
    Search search{process_.dwProcessId, &matches, nullptr};
    const bool found = pollUntil(
        [&] {
            check(running(), "the program ended while waiting for " + what);
            EnumWindows(visitTopLevel, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        kWaitMs);
    check(found, "no " + what + " appeared");
    return search.found;
}

HWND Program::waitForOwnedDialogWith(int controlId, const std::string& what) const {
    return waitForDialog(
        [&](HWND window) {
            return ownerOf(window) == main_ && GetDlgItem(window, controlId) != nullptr;
        },
        what);
}

HWND Program::waitForOwnedDialogWithClass(const wchar_t* childClass,
                                          const std::string& what) const {
    return waitForDialog(
        [&](HWND window) { return ownerOf(window) == main_ && hasChild(window, childClass); },
        what);
}

void Program::waitUntilClosed(HWND window, const std::string& what) const {
    check(pollUntil([&] { return !IsWindow(window) || !running(); }, kWaitMs),
          what + " did not close");
    check(running(), "the program ended when " + what + " closed");
    settle();
}

void Program::settle() const {
    sendTimed(main_, WM_NULL, 0, 0);
}

void Program::drainPosted() const {
    // A posted selection change is handled only after everything posted
    // before it; twice, for what those messages posted themselves.
    for (int marker : {1, 2}) {
        check(PostMessageW(resultBox(), EM_SETSEL, marker, marker), "cannot post to the program");
        check(pollUntil(
                  [&] {
                      check(IsWindow(main_), "the main window closed");
                      const LRESULT selection = sendTimed(resultBox(), EM_GETSEL, 0, 0);
                      return LOWORD(selection) == marker;
                  },
                  kWaitMs),
              "the program did not work through its posted messages");
    }
}

void Program::enterFileName(HWND fileDialog, const std::u16string& initialName,
                            const std::u16string& path) const {
    HWND name = GetDlgItem(fileDialog, 1148);
    check(name != nullptr, "the file dialog has no name field");
    // The dialog puts the program's initial name into the field while it
    // starts; typing before that would be overwritten.
    std::u16string shown;
    check(pollUntil(
              [&] {
                  shown = textOf(name);
                  return shown == initialName;
              },
              kWaitMs),
          "the file dialog's name field shows \"" + narrow(shown) + "\", not \"" +
              narrow(initialName) + "\"");
    sendTimed(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    check(textOf(name) == path, "the file dialog did not take the name " + narrow(path));
}

void Program::chooseFile(HWND fileDialog, const std::u16string& initialName,
                         const std::u16string& path) const {
    enterFileName(fileDialog, initialName, path);
    press(fileDialog, IDOK);
}

std::u16string Program::selectedFolderName(HWND browser) const {
    HWND tree = FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr);
    check(tree != nullptr, "the folder browser has no tree");
    const auto item = sendTimed(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (item == 0) {
        return {};
    }
    constexpr std::size_t textSize = MAX_PATH;
    const std::size_t textBytes = textSize * sizeof(wchar_t);
    RemoteBuffer remote(process_.hProcess, sizeof(TVITEMW) + textBytes);
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = reinterpret_cast<HTREEITEM>(item);
    query.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof query));
    query.cchTextMax = textSize;
    remote.write(0, &query, sizeof query);
    remote.write(sizeof query, L"", sizeof(wchar_t));
    sendTimed(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(0)));
    wchar_t text[textSize] = L"";
    remote.read(sizeof query, text, textBytes - sizeof(wchar_t));
    return utf16(text);
}

void Program::selectFolder(HWND browser, const std::u16string& folder) const {
    // The browser fills its tree after it is shown, and a selection made
    // before that is lost: select until the tree shows the folder.
    const std::u16string name = lastComponent(folder);
    const std::size_t bytes = (folder.size() + 1) * sizeof(char16_t);
    RemoteBuffer path(process_.hProcess, bytes);
    path.write(0, folder.c_str(), bytes);
    std::u16string selected;
    check(pollUntil(
              [&] {
                  check(IsWindow(browser), "the folder browser closed by itself");
                  sendTimed(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.at(0)));
                  selected = selectedFolderName(browser);
                  return selected == name;
              },
              kWaitMs),
          "the folder browser selects \"" + narrow(selected) + "\", not " + narrow(folder));
}

void Program::chooseFolder(HWND browser, const std::u16string& folder) const {
    selectFolder(browser, folder);
    press(browser, IDOK);
}

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size) : process_(process) {
    address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    check(address_ != nullptr, "cannot allocate in the program");
}

RemoteBuffer::~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

void RemoteBuffer::write(std::size_t offset, const void* data, std::size_t size) const {
    check(WriteProcessMemory(process_, at(offset), data, size, nullptr),
          "cannot write into the program");
}

void RemoteBuffer::read(std::size_t offset, void* data, std::size_t size) const {
    check(ReadProcessMemory(process_, at(offset), data, size, nullptr),
          "cannot read from the program");
}

std::u16string Program::dialogFolder(HWND fileDialog) const {
    constexpr std::size_t size = MAX_PATH;
    RemoteBuffer remote(process_.hProcess, size * sizeof(wchar_t));
    remote.write(0, L"", sizeof(wchar_t));
    sendTimed(fileDialog, CDM_GETFOLDERPATH, size, reinterpret_cast<LPARAM>(remote.at(0)));
    wchar_t folder[size] = L"";
    remote.read(0, folder, (size - 1) * sizeof(wchar_t));
    return utf16(folder);
}

std::unique_ptr<RemoteBuffer> Program::drop(const std::vector<std::u16string>& paths) const {
    // A DROPFILES header, then the wide paths, each ended by a zero, and
    // one more zero after the last.
    std::u16string names;
    for (const auto& path : paths) names += path + u'\0';
    names += u'\0';
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    const std::size_t bytes = names.size() * sizeof(char16_t);
    auto block = std::make_unique<RemoteBuffer>(process_.hProcess, sizeof header + bytes);
    block->write(0, &header, sizeof header);
    block->write(sizeof header, names.data(), bytes);
    check(PostMessageW(main_, WM_DROPFILES, reinterpret_cast<WPARAM>(block->at(0)), 0),
          "cannot post the drop");
    return block;
}

void Program::pressKeys(std::initializer_list<WORD> modifiers, WORD key) const {
    // Keys go to the foreground window's focus, as a user's would.
    SetForegroundWindow(main_);
    check(pollUntil([&] { return GetForegroundWindow() == main_; }, kWaitMs),
          "the main window did not come to the front");
    std::vector<INPUT> inputs;
    auto add = [&](WORD virtualKey, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers) add(modifier, false);
    add(key, false);
    add(key, true);
    for (auto it = modifiers.end(); it != modifiers.begin();) add(*--it, true);
    check(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size(),
          "cannot send the keys");
}

void Program::press(HWND dialog, WORD id) const {
    check(PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))),
          "cannot press a button");
}

void Program::focus(HWND control) const {
    // The dialog manager moves the focus itself, also to a control that
    // Tab never reaches.
    sendTimed(main_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    check(pollUntil(
              [&] {
                  check(running(), "the program ended while taking the focus");
                  return GetGUIThreadInfo(process_.dwThreadId, &gui) && gui.hwndFocus == control;
              },
              kWaitMs),
          "the focus did not move to the " + narrow(className(control)) + " control");
}

void Program::pressEscape(HWND fallback) const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    HWND target = fallback;
    if (GetGUIThreadInfo(process_.dwThreadId, &gui) && gui.hwndFocus != nullptr) {
        target = gui.hwndFocus;
    }
    const LPARAM escapeScanCode = 0x00010001;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, escapeScanCode);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, escapeScanCode | 0xC0000000);
}

DWORD Program::waitForExit(const std::string& what) {
    check(WaitForSingleObject(process_.hProcess, kWaitMs) == WAIT_OBJECT_0,
          "the program did not end after " + what);
    DWORD status = 0;
    GetExitCodeProcess(process_.hProcess, &status);
    return status;
}

}  // namespace MornstaveE2E
