// End-to-end cases of the dialog program, run under Wine (or Windows):
//   mornstavew_e2e.exe PROGRAM WORKDIR [--code-page=N] [CASE...]
// Makes its card files under WORKDIR, runs PROGRAM once per case and
// prints one "PASS name" or "FAIL name: why" line per case.  With
// --code-page, the system's ANSI code page must be N (the locale the
// cases run under).  The console program is mornstave.exe beside PROGRAM.
//   mornstavew_e2e.exe pose PROGRAM CARD RECTFILE DONEFILE
// holds the program up showing CARD, for a screenshot.

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Compose.hpp"
#include "Remote.hpp"
#include "cardwriter/CardWriter.hpp"
#include "text/Cp932.hpp"

namespace MornstaveE2E {
namespace {

using Mornstave::composeCard;
using Mornstave::composeFolder;
using Mornstave::Composed;
using Mornstave::folderPrefix;
using Mornstave::publish;
using Vantorn::ContentKind;
using Vantorn::testing::ContentRecord;
using Vantorn::testing::MotionRecord;
using Vantorn::testing::SkillCardRecord;

const std::u16string kStartText = u"ここに結果が表示されます";
// A name outside CP932 (Korean) and one inside it (Greek).
const std::u16string kKorean = u"한국어";
const std::u16string kGreek = u"Ελληνικά";

struct Setup {
    std::u16string program;
    std::u16string work;  // no trailing backslash
    UINT codePage = 0;    // the expected ANSI code page; 0: any

    std::u16string path(const std::u16string& relative) const { return work + u"\\" + relative; }
    std::u16string console() const {
        return program.substr(0, program.rfind(u'\\') + 1) + u"mornstave.exe";
    }
};

// --- card files -----------------------------------------------------------

// Its name holds a CR LF of its own, which the box must show as CR CR LF.
std::string cardWithEvent() {
    SkillCardRecord record;
    record.name = "一行目\r\n二行目";
    record.targetType = 3;
    record.motions = {MotionRecord{0, 1, 5, 0, 4}};
    ContentRecord start{ContentKind::Start};
    start.name = "開始";
    record.events = {{start}};
    return record.bytes().data;
}

std::string cardWithoutEvent() {
    SkillCardRecord record;
    record.name = "癒しの風";
    record.targetType = 2;
    return record.bytes().data;
}

std::string corruptCard() {
    SkillCardRecord record;
    record.events = {{ContentRecord{255}}};
    return record.bytes().data;
}

void makeFolder(const std::u16string& path) {
    check(CreateDirectoryW(wide(path), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS,
          "cannot create " + narrow(path));
}

void writeFile(const std::u16string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(static_cast<bool>(out.flush()), "cannot write " + narrow(path));
}

std::optional<std::string> readFile(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void makeCards(const Setup& setup) {
    makeFolder(setup.work);
    const std::u16string folders[] = {u"single", u"folder", u"nocards", u"withfolder",
                                      u"表",     u"out",    kKorean,     kGreek};
    for (const std::u16string& folder : folders) {
        makeFolder(setup.path(folder));
    }
    writeFile(setup.path(u"single\\skill_good.vnt"), cardWithEvent());
    writeFile(setup.path(u"single\\skill_text.vnt"), "not a skill card");
    writeFile(setup.path(u"folder\\skill1.vnt"), cardWithEvent());
    writeFile(setup.path(u"folder\\skill2.vnt"), corruptCard());
    writeFile(setup.path(u"folder\\skill3.vnt"), cardWithoutEvent());
    writeFile(setup.path(u"folder\\notes.txt"), "not matched by skill*.vnt");
    writeFile(setup.path(u"nocards\\card1.vnt"), cardWithEvent());
    makeFolder(setup.path(u"withfolder\\skill_dir.vnt"));
    writeFile(setup.path(u"withfolder\\skill_ok.vnt"), cardWithoutEvent());
    writeFile(setup.path(u"表\\skill1.vnt"), cardWithoutEvent());
    for (const std::u16string& folder : {kKorean, kGreek}) {
        writeFile(setup.path(folder + u"\\skill1.vnt"), cardWithEvent());
        writeFile(setup.path(folder + u"\\skill2.vnt"), cardWithoutEvent());
        writeFile(setup.path(folder + u"\\skill_" + kKorean + u".vnt"), cardWithoutEvent());
    }
}

// --- expected texts ---------------------------------------------------------

Composed expectedCard(const std::u16string& path) {
    return publish(composeCard(path));
}

// The names in the order the file search returns them, learnt from the
// same search the program makes.
std::vector<std::u16string> cardNames(const std::u16string& dir) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(dir + u"skill*.vnt"), &entry);
    check(search != INVALID_HANDLE_VALUE, "no cards in " + narrow(dir));
    do {
        names.push_back(utf16(entry.cFileName));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

Composed expectedFolder(const std::u16string& folder) {
    const std::u16string dir = folderPrefix(folder);
    return publish(composeFolder(dir, cardNames(dir)));
}

template <class Text>
typename Text::size_type count(const Text& text, const Text& part) {
    typename Text::size_type n = 0;
    for (auto at = text.find(part); at != Text::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

template <class Text>
bool startsWith(const Text& text, const Text& start) {
    return text.compare(0, start.size(), start) == 0;
}

template <class Text>
bool endsWith(const Text& text, const Text& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// --- steps a user takes -------------------------------------------------------

void processCard(const Program& program, const std::u16string& path) {
    program.command(40002);
    HWND dialog = program.waitForOwnedDialogWith(1148, "open-file dialog");
    program.chooseFile(dialog, u"skill*.vnt", path);
    program.waitUntilClosed(dialog, "the open-file dialog");
}

void processFolder(const Program& program, const std::u16string& folder) {
    program.command(40003);
    HWND browser = program.waitForOwnedDialogWithClass(L"SysTreeView32", "folder browser");
    program.chooseFolder(browser, folder);
    program.waitUntilClosed(browser, "the folder browser");
}

// The save dialog has no owner, so it is told apart by its name field.
HWND waitForSaveDialog(const Program& program) {
    program.command(1003);
    return program.waitForDialog(
        [&](HWND window) {
            return window != program.main() && ownerOf(window) == nullptr &&
                   GetDlgItem(window, 1148) != nullptr;
        },
        "save-file dialog");
}

void save(const Program& program, const std::u16string& path) {
    HWND dialog = waitForSaveDialog(program);
    program.chooseFile(dialog, u"report.txt", path);
    program.waitUntilClosed(dialog, "the save-file dialog");
}

void checkFileBecomes(const std::u16string& path, const std::string& expected,
                      const std::string& what) {
    std::optional<std::string> content;
    const ULONGLONG end = GetTickCount64() + kWaitMs;
    do {
        content = readFile(path);
        if (content == expected) {
            return;
        }
        Sleep(50);
    } while (GetTickCount64() < end);
    check(false, what + ": " + narrow(path) + (content ? " holds " + std::to_string(content->size()) +
                                                     " bytes, expected " +
                                                     std::to_string(expected.size())
                                               : " was not written"));
}

HWND waitForMessageBox(const Program& program) {
    return program.waitForOwnedDialogWith(0xFFFF, "message box");
}

// --- cases ---------------------------------------------------------------------

void startText(const Setup& setup) {
    Program program(setup.program);
    check(textOf(program.main()) == u"Mornstave ver.0.20",
          "caption is " + narrow(textOf(program.main())));
    check(program.result() == kStartText, "start text is " + narrow(program.result()));
    const LONG style = GetWindowLongW(program.resultBox(), GWL_STYLE);
    check((style & ES_READONLY) && (style & ES_MULTILINE), "the result box is not read-only");
    check(textOf(GetDlgItem(program.main(), 1003)) == u"結果の保存", "save button text");

    program.command(1001);
    check(program.waitForExit("終了(&X)") == 0, "exit status after 終了 is not 0");
}

// The menu as the program carries it: Japanese texts come out garbled when
// the resource compiler misreads the script's code page.
void menuItems(const Setup& setup) {
    HMODULE module = LoadLibraryExW(wide(setup.program), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check(module != nullptr, "cannot read the program's resources");
    HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(104));
    FreeLibrary(module);
    check(menu != nullptr, "no menu 104");
    auto text = [&](UINT item, UINT how) {
        wchar_t buffer[128] = L"";
        GetMenuStringW(menu, item, buffer, 128, how);
        return utf16(buffer);
    };
    const std::vector<std::pair<UINT, std::u16string>> popups = {
        {0, u"ファイル(&F)"}, {1, u"ツール(&T)"}, {2, u"ヘルプ(&H)"}};
    const std::vector<std::pair<UINT, std::u16string>> items = {
        {40002, u"技能カードを処理(&O)"},
        {40003, u"フォルダ内技能カードを全て処理(&A)"},
        {1001, u"終了(&X)"},
        {40004, u"オプション(&O)"},
        {1000, u"バージョン情報(&A)"}};
    std::string wrong;
    for (const auto& [position, expected] : popups) {
        if (text(position, MF_BYPOSITION) != expected) wrong += " menu " + narrow(expected);
    }
    for (const auto& [id, expected] : items) {
        if (text(id, MF_BYCOMMAND) != expected) wrong += " item " + std::to_string(id);
    }
    HMENU file = GetSubMenu(menu, 0);
    const bool separatorBeforeExit =
        file != nullptr && GetMenuItemCount(file) == 4 && GetMenuItemID(file, 3) == 1001 &&
        (GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);
    const bool optionsGreyed = (GetMenuState(menu, 40004, MF_BYCOMMAND) & MF_GRAYED) != 0;
    DestroyMenu(menu);
    check(wrong.empty(), "wrong texts:" + wrong);
    check(separatorBeforeExit, "the file menu is not: two commands, a separator, exit");
    check(optionsGreyed, "オプション(&O) is not greyed");
}

void saveBeforeAnyCommand(const Setup& setup) {
    const std::u16string out = setup.path(u"out\\empty.txt");
    writeFile(out, "left over from an earlier run");
    Program program(setup.program);
    save(program, out);
    checkFileBecomes(out, "", "saving before any command");
    check(program.result() == kStartText, "saving changed the result box");
}

void oneGoodCard(const Setup& setup) {
    const std::u16string card = setup.path(u"single\\skill_good.vnt");
    const Composed expected = expectedCard(card);
    // What the composition gives must itself have the shape the user sees.
    const std::string& bytes = expected.bytes;
    check(startsWith(bytes, "[" + narrow(card) + "]\r\n"), "header line");
    check(count(bytes, std::string("\n")) == count(bytes, std::string("\r\n")), "a bare LF in the text");
    check(count(bytes, std::string("一行目\r\r\n二行目")) == 1, "the card's own CR LF is not CR CR LF");
    check(count(bytes, std::string("\r\nlevel: ")) == 1 && endsWith(bytes, std::string("\r\n")) &&
              !endsWith(bytes, std::string("\r\n\r\n")),
          "the text does not end in exactly one level line");
    check(expected.shown == Vantorn::cp932ToUtf16(bytes), "the shown text is not the bytes decoded");

    Program program(setup.program);
    processCard(program, card);
    program.waitForResult(expected.shown, "one good card");

    const std::u16string out = setup.path(u"out\\one.txt");
    save(program, out);
    checkFileBecomes(out, bytes, "saving one card");
}

void failingCard(const Setup& setup) {
    const std::u16string good = setup.path(u"single\\skill_good.vnt");
    Program program(setup.program);
    processCard(program, good);
    const Composed expected = expectedCard(good);
    program.waitForResult(expected.shown, "the good card");

    processCard(program, setup.path(u"single\\skill_text.vnt"));
    program.waitForResult(u"技能カードではありません", "a file that is no card");
    processCard(program, setup.path(u"folder\\skill2.vnt"));
    program.waitForResult(u"ファイルが壊れています", "a corrupt card");

    const std::u16string out = setup.path(u"out\\after-failure.txt");
    save(program, out);
    checkFileBecomes(out, expected.bytes, "saving after a failure writes the last result");
}

void cancelledDialogs(const Setup& setup) {
    Program program(setup.program);
    program.command(40002);
    HWND open = program.waitForOwnedDialogWith(1148, "open-file dialog");
    program.enterFileName(open, u"skill*.vnt", setup.path(u"single\\skill_good.vnt"));
    program.press(open, IDCANCEL);
    program.waitUntilClosed(open, "the cancelled open-file dialog");
    check(program.result() == kStartText, "cancelling the open-file dialog changed the box");

    program.command(40003);
    HWND browser = program.waitForOwnedDialogWithClass(L"SysTreeView32", "folder browser");
    program.selectFolder(browser, setup.path(u"folder"));
    program.press(browser, IDCANCEL);
    program.waitUntilClosed(browser, "the cancelled folder browser");
    check(program.result() == kStartText, "cancelling the folder browser changed the box");

    const std::u16string out = setup.path(u"out\\cancelled.txt");
    DeleteFileW(wide(out));
    HWND saveDialog = waitForSaveDialog(program);
    program.enterFileName(saveDialog, u"report.txt", out);
    program.press(saveDialog, IDCANCEL);
    program.waitUntilClosed(saveDialog, "the cancelled save-file dialog");
    check(!readFile(out), "cancelling the save-file dialog wrote a file");
    check(program.result() == kStartText, "cancelling the save-file dialog changed the box");
}

void folderWithCorruptCard(const Setup& setup) {
    const std::u16string folder = setup.path(u"folder");
    const Composed expected = expectedFolder(folder);
    const std::string& bytes = expected.bytes;
    check(count(bytes, std::string("\r\n\r\n[")) == 2 && endsWith(bytes, std::string("\r\n\r\n")),
          "three blocks, each closed by an empty line");
    check(count(bytes, "[" + narrow(folder) + "\\skill2.vnt]\r\nファイルが壊れています\r\n\r\n") == 1,
          "the corrupt card's block");
    check(count(bytes, std::string("notes.txt")) == 0, "a file outside the pattern was walked");

    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected.shown, "folder with a corrupt card");
}

void folderWithoutCards(const Setup& setup) {
    Program program(setup.program);
    processFolder(program, setup.path(u"nocards"));
    HWND box = waitForMessageBox(program);
    const std::u16string message = textOf(GetDlgItem(box, 0xFFFF));
    check(message == u"技能カードが見つかりません", "message box says " + narrow(message));
    program.press(box, IDOK);
    program.waitUntilClosed(box, "the message box");
    check(program.result() == kStartText, "a folder without cards changed the box");
    const std::u16string out = setup.path(u"out\\nocards.txt");
    save(program, out);
    checkFileBecomes(out, "", "a folder without cards left a result to save");
}

void folderEntryThatIsAFolder(const Setup& setup) {
    const std::u16string folder = setup.path(u"withfolder");
    const Composed expected = expectedFolder(folder);
    check(count(expected.bytes, "[" + narrow(folder) + "\\skill_dir.vnt]\r\n開けません\r\n\r\n") == 1,
          "the folder entry's block");
    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected.shown, "folder holding a folder named like a card");
}

void folderNameEndingInByte5C(const Setup& setup) {
    // 表 is 0x95 0x5C in CP932: the folder needs its separator appended all the same.
    const std::u16string folder = setup.path(u"表");
    const Composed expected = expectedFolder(folder);
    check(startsWith(expected.bytes, "[" + narrow(folder) + "\\skill1.vnt]\r\n"),
          "header of the card in 表");
    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected.shown, "folder named 表");
}

// Folders named in Korean (outside CP932) and Greek (inside it), each with
// a card whose own name is Korean: the folder command finds, opens and
// shows them whole; the saved header has '?' only where CP932 cannot go.
void foldersNamedOutsideCp932(const Setup& setup) {
    for (const std::u16string& name : {kKorean, kGreek}) {
        const std::u16string folder = setup.path(name);
        const Composed expected = expectedFolder(folder);
        const std::u16string koreanCard = u"[" + folder + u"\\skill_" + kKorean + u".vnt]\r\n";
        check(count(expected.shown, koreanCard) == 1, "the shown header of the Korean card");
        check(count(expected.bytes, std::string("\r\nlevel: ")) == 3, "three cards read");
        check(count(expected.bytes, narrow(folder) + "\\skill_???.vnt]") == 1,
              "the saved header of the Korean card");

        Program program(setup.program);
        processFolder(program, folder);
        program.waitForResult(expected.shown, "folder " + narrow(name));
        const std::u16string out = setup.path(u"out\\" + name + u".txt");
        save(program, out);
        checkFileBecomes(out, expected.bytes, "saving the folder " + narrow(name));
    }
}

// Runs the console program with its output in a file; returns what it wrote.
std::string runConsole(const Setup& setup, const std::u16string& arguments,
                       const std::u16string& outPath) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(wide(outPath), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
    check(out != INVALID_HANDLE_VALUE, "cannot create " + narrow(outPath));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::u16string commandLine = u"\"" + setup.console() + u"\" " + arguments;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(wide(setup.console()),
                                        reinterpret_cast<wchar_t*>(commandLine.data()), nullptr,
                                        nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(out);
    check(started, "cannot start " + narrow(setup.console()));
    const DWORD waited = WaitForSingleObject(process.hProcess, kWaitMs);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    check(waited == WAIT_OBJECT_0, "the console program did not end");
    return readFile(outPath).value_or("");
}

// The console program takes the same wide names: its CP932 output is the
// bytes the dialog saves, its UTF-8 output the text the dialog shows.
void consoleOnFolderOutsideCp932(const Setup& setup) {
    const std::u16string dir = folderPrefix(setup.path(kKorean));
    const std::vector<std::u16string> names = cardNames(dir);
    std::u16string arguments;
    for (const auto& name : names) arguments += u"\"" + dir + name + u"\" ";
    const Composed expected = publish(composeFolder(dir, names));
    check(count(expected.bytes, std::string("\r\nlevel: ")) == 3, "three cards read");

    const std::string cp932 = runConsole(setup, arguments, setup.path(u"out\\console-cp932.txt"));
    check(cp932 == expected.bytes, "the console's CP932 output differs from the saved bytes");
    const std::string utf8 = runConsole(setup, u"--encoding=utf-8 " + arguments,
                                        setup.path(u"out\\console-utf8.txt"));
    check(utf8 == Vantorn::utf16ToUtf8(expected.shown),
          "the console's UTF-8 output differs from the shown text");
}

void systemCodePage(const Setup& setup) {
    check(setup.codePage == 0 || GetACP() == setup.codePage,
          "the ANSI code page is " + std::to_string(GetACP()) + ", not " +
              std::to_string(setup.codePage));
}

void saveOverExistingFile(const Setup& setup) {
    const std::u16string card = setup.path(u"single\\skill_good.vnt");
    const std::u16string out = setup.path(u"out\\existing.txt");
    writeFile(out, std::string(100000, 'x'));
    Program program(setup.program);
    processCard(program, card);
    const Composed expected = expectedCard(card);
    program.waitForResult(expected.shown, "the card to save");
    // Closing on OK alone shows that no overwrite question was asked.
    save(program, out);
    checkFileBecomes(out, expected.bytes, "saving over an existing file");
}

// Closes a handle when leaving its scope, also when a check throws.
struct ScopedHandle {
    HANDLE handle;
    ~ScopedHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

void saveToLockedFile(const Setup& setup) {
    const std::u16string out = setup.path(u"out\\locked.txt");
    writeFile(out, "kept");
    std::u16string message;
    {
        // Held open without sharing, as another program would hold it.
        ScopedHandle lock{
            CreateFileW(wide(out), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
        check(lock.handle != INVALID_HANDLE_VALUE, "cannot lock " + narrow(out));
        Program program(setup.program);
        save(program, out);
        HWND box = waitForMessageBox(program);
        message = textOf(GetDlgItem(box, 0xFFFF));
        program.press(box, IDOK);
        program.waitUntilClosed(box, "the message box");
    }
    check(message == out + u": 開けません", "message box says " + narrow(message));
    check(readFile(out) == std::string("kept"), "the locked file changed");
}

HWND openAbout(const Program& program) {
    program.command(1000);
    return program.waitForDialog(
        [&](HWND window) {
            return ownerOf(window) == program.main() &&
                   textOf(window) == u"Mornstave ver.0.20 について";
        },
        "About box");
}

void aboutBox(const Setup& setup) {
    Program program(setup.program);
    HWND about = openAbout(program);
    check(className(GetDlgItem(about, IDOK)) == u"Button" && textOf(GetDlgItem(about, IDOK)) == u"OK",
          "the About box has no OK button");
    program.press(about, IDOK);
    program.waitUntilClosed(about, "the About box (OK)");

    about = openAbout(program);
    PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    program.waitUntilClosed(about, "the About box (close box)");
    check(IsWindowVisible(program.main()), "the main window went with the About box");

    PostMessageW(program.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    check(program.waitForExit("the close box") == 0, "exit status after the close box is not 0");
}

void escapeClosesNeither(const Setup& setup) {
    Program program(setup.program);
    program.pressEscape(program.main());
    program.drainPosted();
    check(IsWindowVisible(program.main()), "Escape closed the main window");

    // A multi-line edit in a dialog closes its parent on Escape by itself.
    program.focus(program.resultBox());
    program.pressEscape(program.resultBox());
    program.drainPosted();
    check(IsWindow(program.main()) && IsWindowVisible(program.main()),
          "Escape in the result box closed the main window");

    HWND about = openAbout(program);
    program.pressEscape(about);
    program.drainPosted();
    check(IsWindow(about) && IsWindowVisible(about), "Escape closed the About box");
    program.press(about, IDOK);
    program.waitUntilClosed(about, "the About box");
    check(program.result() == kStartText, "Escape changed the box");
}

struct Case {
    const char* name;
    void (*run)(const Setup&);
};

const Case kCases[] = {
    {"system_code_page", systemCodePage},
    {"start_text_and_exit", startText},
    {"menu_items", menuItems},
    {"save_before_any_command", saveBeforeAnyCommand},
    {"one_good_card", oneGoodCard},
    {"failing_card_keeps_last_result", failingCard},
    {"cancelled_dialogs_change_nothing", cancelledDialogs},
    {"folder_with_corrupt_card", folderWithCorruptCard},
    {"folder_without_cards", folderWithoutCards},
    {"folder_entry_that_is_a_folder", folderEntryThatIsAFolder},
    {"folder_name_ending_in_byte_5c", folderNameEndingInByte5C},
    {"folders_named_outside_cp932", foldersNamedOutsideCp932},
    {"console_on_folder_outside_cp932", consoleOnFolderOutsideCp932},
    {"save_over_existing_file", saveOverExistingFile},
    {"save_to_locked_file", saveToLockedFile},
    {"about_box_opens_and_closes", aboutBox},
    {"escape_closes_neither_window", escapeClosesNeither},
};

// Shows card in the program and writes the main window's screen rectangle
// to rectFile ("x y width height"), then keeps the window up until doneFile
// exists (or a minute has passed), for a screenshot taken from outside.
int pose(const std::u16string& program, const std::u16string& card, const std::u16string& rectFile,
         const std::u16string& doneFile) {
    try {
        Program shown(program);
        processCard(shown, card);
        shown.waitForResult(expectedCard(card).shown, "the card to show");
        RECT r{};
        GetWindowRect(shown.main(), &r);
        std::ofstream(std::filesystem::path(rectFile))
            << r.left << ' ' << r.top << ' ' << (r.right - r.left) << ' ' << (r.bottom - r.top)
            << '\n';
        const ULONGLONG end = GetTickCount64() + 60000;
        while (!readFile(doneFile) && GetTickCount64() < end) {
            Sleep(50);
        }
        shown.command(1001);
        shown.waitForExit("終了(&X)");
        return 0;
    } catch (const std::exception& e) {
        std::printf("FAIL pose: %s\n", e.what());
        return 1;
    }
}

}  // namespace
}  // namespace MornstaveE2E

int wmain(int argc, wchar_t** argv) {
    using namespace MornstaveE2E;
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(utf16(argv[i]));
    if (args.size() == 5 && args[0] == u"pose") {
        return pose(args[1], args[2], args[3], args[4]);
    }
    if (args.size() < 2) {
        std::fprintf(stderr,
                     "usage: mornstavew_e2e PROGRAM WORKDIR [--code-page=N] [CASE...]\n"
                     "       mornstavew_e2e pose PROGRAM CARD RECTFILE DONEFILE\n");
        return 2;
    }
    Setup setup{args[0], args[1]};
    std::vector<std::string> selected;
    const std::u16string codePageOption = u"--code-page=";
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i].compare(0, codePageOption.size(), codePageOption) == 0) {
            setup.codePage = static_cast<UINT>(std::stoul(narrow(args[i].substr(codePageOption.size()))));
        } else {
            selected.push_back(narrow(args[i]));
        }
    }
    try {
        makeCards(setup);
    } catch (const CheckFailed& e) {
        std::printf("FAIL setup: %s\n", e.what());
        return 1;
    }
    int failed = 0;
    for (const Case& c : kCases) {
        bool run = selected.empty();
        for (const auto& name : selected) run = run || name == c.name;
        if (!run) {
            continue;
        }
        try {
            c.run(setup);
            std::printf("PASS %s\n", c.name);
        } catch (const std::exception& e) {
            ++failed;
            std::printf("FAIL %s: %s\n", c.name, e.what());
        }
        std::fflush(stdout);
    }
    return failed == 0 ? 0 : 1;
}
