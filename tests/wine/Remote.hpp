#pragma once

// Drives the real dialog program from another process, the way a user's
// clicks and keys would reach it.  Every wait gives up after a time limit
// and throws, so that a stuck dialog fails its case instead of hanging.
// Window texts travel as UTF-16, whatever the system's code page.

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace MornstaveE2E {

class CheckFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws CheckFailed with message unless condition holds.
void check(bool condition, const std::string& message);

// Windows' wide characters are UTF-16 units, as char16_t is.
inline const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::u16string utf16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}
// A text for a failure message (CP932, '?' where it cannot be).
std::string narrow(const std::u16string& text);

constexpr DWORD kWaitMs = 30000;  // first dialogs of a fresh Wine session are slow

// Polls condition until it holds (true) or limitMs have passed (false).
bool waitUntil(const std::function<bool()>& condition, DWORD limitMs = kWaitMs);

// A message sent to a window of any process; throws when it is not
// answered within ten seconds.
LRESULT sendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Memory inside the program under test, for messages whose pointers the
// program dereferences itself.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    void write(std::size_t offset, const void* data, std::size_t size) const;
    void read(std::size_t offset, void* data, std::size_t size) const;

private:
    HANDLE process_;
    void* address_;
};

std::u16string className(HWND window);
// The text of a window of any process (a wide WM_GETTEXT round trip).
std::u16string textOf(HWND window);
HWND ownerOf(HWND window);
bool hasChild(HWND window, const wchar_t* className);

// A running instance of the program under test; ended on destruction if
// it is still running.
class Program {
public:
    // arguments: the command line after the program's quoted name.
    explicit Program(const std::u16string& exe, const std::u16string& arguments = u"");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND main() const { return main_; }
    HANDLE process() const { return process_.hProcess; }
    HWND resultBox() const;
    bool running() const;

    // Posted, not sent: the command handler blocks in its modal dialog.
    void command(WORD id) const;
    // The result box's text as the program shows it.
    std::u16string result() const;
    // Waits until the result box shows expected; throws with the first
    // difference otherwise.
    void waitForResult(const std::u16string& expected, const std::string& what) const;

    // Waits for a visible dialog window of this process that matches.
    HWND waitForDialog(const std::function<bool(HWND)>& matches, const std::string& what) const;
    // A dialog owned by the main window with the given control or child class.
    HWND waitForOwnedDialogWith(int controlId, const std::string& what) const;
    HWND waitForOwnedDialogWithClass(const wchar_t* childClass, const std::string& what) const;
    // Waits until window is gone, then until the program is idle again.
    void waitUntilClosed(HWND window, const std::string& what) const;

    // Returns once the program's thread has handled every message sent
    // before; it is then back in a message loop.
    void settle() const;
    // Returns once every message posted to the program before has been
    // handled, including messages those messages posted in turn.
    void drainPosted() const;

    // Waits for the file dialog's name field to show initialName, then
    // types path into it.
    void enterFileName(HWND fileDialog, const std::u16string& initialName,
                       const std::u16string& path) const;
    // The same, then presses OK.
    void chooseFile(HWND fileDialog, const std::u16string& initialName,
                    const std::u16string& path) const;
    // The name of the folder selected in the folder browser's tree.
    std::u16string selectedFolderName(HWND browser) const;
    // Selects folder in the folder browser.
    void selectFolder(HWND browser, const std::u16string& folder) const;
    // The same, then presses OK.
    void chooseFolder(HWND browser, const std::u16string& folder) const;
    // The folder a file dialog shows (CDM_GETFOLDERPATH).
    std::u16string dialogFolder(HWND fileDialog) const;
    // Posts a drop of paths onto the main window, its DROPFILES block built
    // in the program's memory; the block lives as long as the result.
    std::unique_ptr<RemoteBuffer> drop(const std::vector<std::u16string>& paths) const;
    // Brings the main window to the front and types key with modifiers held.
    void pressKeys(std::initializer_list<WORD> modifiers, WORD key) const;
    void press(HWND dialog, WORD id) const;
    // Moves the keyboard focus to a control of the main window through the
    // dialog manager and waits until the program reports it there.
    void focus(HWND control) const;
    // Posts an Escape key press to the control that has the keyboard focus.
    void pressEscape(HWND fallback) const;

    // Waits for the program to end by itself; returns its exit status.
    DWORD waitForExit(const std::string& what);

private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

}  // namespace MornstaveE2E
