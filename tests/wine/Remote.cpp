#include "Remote.hpp"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

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

LRESULT sendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result)) {
        throw CheckFailed("the program did not answer message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

struct Search {
    DWORD pid;
    const std::function<bool(HWND)>* matches;
    HWND found;
};

BOOL CALLBACK visitTopLevel(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search.pid && IsWindowVisible(window) && className(window) == "#32770" &&
        (*search.matches)(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

std::string firstDifference(const std::string& actual, const std::string& expected) {
    std::string::size_type i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
        ++i;
    }
    const auto from = i < 40 ? 0 : i - 40;
    return "differs at byte " + std::to_string(i) + " of " + std::to_string(actual.size()) +
           " (expected " + std::to_string(expected.size()) + "); shown: ..." +
           actual.substr(from, 80) + "... expected: ..." + expected.substr(from, 80) + "...";
}

// The part after the last separator; a CP932 trail byte 0x5C is none.
std::string lastComponent(const std::string& path) {
    std::string::size_type start = 0;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByteEx(932, static_cast<BYTE>(path[i]))) {
            ++i;
        } else if (path[i] == '\\') {
            start = i + 1;
        }
    }
    return path.substr(start);
}

}  // namespace

void check(bool condition, const std::string& message) {
    if (!condition) {
        throw CheckFailed(message);
    }
}

std::string className(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string textOf(HWND window) {
    check(IsWindow(window), "window to read is gone");
    const auto length = static_cast<std::size_t>(sendTimed(window, WM_GETTEXTLENGTH, 0, 0));
    std::vector<char> buffer(length + 1, '\0');
    const auto copied = static_cast<std::size_t>(
        sendTimed(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    return std::string(buffer.data(), copied < buffer.size() ? copied : length);
}

HWND ownerOf(HWND window) {
    return GetWindow(window, GW_OWNER);
}

bool hasChild(HWND window, const char* childClass) {
    return FindWindowExA(window, nullptr, childClass, nullptr) != nullptr;
}

Program::Program(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    check(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         nullptr, &startup, &process_),
          "cannot start " + exe);
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
    check(PostMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0), "cannot post a command");
}

std::string Program::result() const {
    return textOf(resultBox());
}

void Program::waitForResult(const std::string& expected, const std::string& what) const {
    std::string shown;
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

HWND Program::waitForOwnedDialogWithClass(const char* childClass, const std::string& what) const {
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
        check(PostMessageA(resultBox(), EM_SETSEL, marker, marker), "cannot post to the program");
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

void Program::enterFileName(HWND fileDialog, const std::string& initialName,
                            const std::string& path) const {
    HWND name = GetDlgItem(fileDialog, 1148);
    check(name != nullptr, "the file dialog has no name field");
    // The dialog puts the program's initial name into the field while it
    // starts; typing before that would be overwritten.
    std::string shown;
    check(pollUntil(
              [&] {
                  shown = textOf(name);
                  return shown == initialName;
              },
              kWaitMs),
          "the file dialog's name field shows \"" + shown + "\", not \"" + initialName + "\"");
    sendTimed(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    check(textOf(name) == path, "the file dialog did not take the name " + path);
}

void Program::chooseFile(HWND fileDialog, const std::string& initialName,
                         const std::string& path) const {
    enterFileName(fileDialog, initialName, path);
    press(fileDialog, IDOK);
}

// Memory inside the program under test, for messages whose pointers the
// program dereferences itself.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size) : process_(process) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        check(address_ != nullptr, "cannot allocate in the program");
    }
    ~RemoteBuffer() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    void write(std::size_t offset, const void* data, std::size_t size) const {
        check(WriteProcessMemory(process_, at(offset), data, size, nullptr),
              "cannot write into the program");
    }
    void read(std::size_t offset, void* data, std::size_t size) const {
        check(ReadProcessMemory(process_, at(offset), data, size, nullptr),
              "cannot read from the program");
    }

private:
    HANDLE process_;
    void* address_;
};

std::string Program::selectedFolderName(HWND browser) const {
    HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    check(tree != nullptr, "the folder browser has no tree");
    const auto item = sendTimed(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (item == 0) {
        return {};
    }
    constexpr std::size_t textSize = MAX_PATH;
    RemoteBuffer remote(process_.hProcess, sizeof(TVITEMA) + textSize);
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = reinterpret_cast<HTREEITEM>(item);
    query.pszText = remote.at(sizeof query);
    query.cchTextMax = textSize;
    remote.write(0, &query, sizeof query);
    remote.write(sizeof query, "", 1);
    sendTimed(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.at(0)));
    char text[textSize] = "";
    remote.read(sizeof query, text, textSize - 1);
    return text;
}

void Program::selectFolder(HWND browser, const std::string& folder) const {
    // The browser fills its tree after it is shown, and a selection made
    // before that is lost: select until the tree shows the folder.
    const std::string name = lastComponent(folder);
    RemoteBuffer path(process_.hProcess, folder.size() + 1);
    path.write(0, folder.c_str(), folder.size() + 1);
    std::string selected;
    check(pollUntil(
              [&] {
                  check(IsWindow(browser), "the folder browser closed by itself");
                  sendTimed(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.at(0)));
                  selected = selectedFolderName(browser);
                  return selected == name;
              },
              kWaitMs),
          "the folder browser selects \"" + selected + "\", not " + folder);
}

void Program::chooseFolder(HWND browser, const std::string& folder) const {
    selectFolder(browser, folder);
    press(browser, IDOK);
}

void Program::press(HWND dialog, WORD id) const {
    check(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
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
          "the focus did not move to the " + className(control) + " control");
}

void Program::pressEscape(HWND fallback) const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    HWND target = fallback;
    if (GetGUIThreadInfo(process_.dwThreadId, &gui) && gui.hwndFocus != nullptr) {
        target = gui.hwndFocus;
    }
    const LPARAM escapeScanCode = 0x00010001;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, escapeScanCode);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, escapeScanCode | 0xC0000000);
}

DWORD Program::waitForExit(const std::string& what) {
    check(WaitForSingleObject(process_.hProcess, kWaitMs) == WAIT_OBJECT_0,
          "the program did not end after " + what);
    DWORD status = 0;
    GetExitCodeProcess(process_.hProcess, &status);
    return status;
}

}  // namespace MornstaveE2E
