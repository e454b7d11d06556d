// End-to-end cases of the dialog program, run under Wine (or Windows):
//   mornstavew_e2e.exe PROGRAM WORKDIR [CASE...]
// Makes its card files under WORKDIR, runs PROGRAM once per case and
// prints one "PASS name" or "FAIL name: why" line per case.
//   mornstavew_e2e.exe pose PROGRAM CARD RECTFILE DONEFILE
// holds the program up showing CARD, for a screenshot.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Compose.hpp"
#include "Remote.hpp"
#include "cardwriter/CardWriter.hpp"

namespace MornstaveE2E {
namespace {

using Mornstave::composeCard;
using Mornstave::composeFolder;
using Mornstave::folderPrefix;
using Mornstave::publish;
using Vantorn::ContentKind;
using Vantorn::testing::ContentRecord;
using Vantorn::testing::MotionRecord;
using Vantorn::testing::SkillCardRecord;

const std::string kStartText = "ここに結果が表示されます";

struct Setup {
    std::string program;
    std::string work;  // no trailing backslash

    std::string path(const std::string& relative) const { return work + "\\" + relative; }
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

void makeFolder(const std::string& path) {
    check(CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS,
          "cannot create " + path);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(static_cast<bool>(out.flush()), "cannot write " + path);
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void makeCards(const Setup& setup) {
    makeFolder(setup.work);
    for (const char* folder : {"single", "folder", "nocards", "withfolder", "表", "out"}) {
        makeFolder(setup.path(folder));
    }
    writeFile(setup.path("single\\skill_good.vnt"), cardWithEvent());
    writeFile(setup.path("single\\skill_text.vnt"), "not a skill card");
    writeFile(setup.path("folder\\skill1.vnt"), cardWithEvent());
    writeFile(setup.path("folder\\skill2.vnt"), corruptCard());
    writeFile(setup.path("folder\\skill3.vnt"), cardWithoutEvent());
    writeFile(setup.path("folder\\notes.txt"), "not matched by skill*.vnt");
    writeFile(setup.path("nocards\\card1.vnt"), cardWithEvent());
    makeFolder(setup.path("withfolder\\skill_dir.vnt"));
    writeFile(setup.path("withfolder\\skill_ok.vnt"), cardWithoutEvent());
    writeFile(setup.path("表\\skill1.vnt"), cardWithoutEvent());
}

// --- expected texts ---------------------------------------------------------

std::string expectedCard(const std::string& path) {
    return publish(composeCard(path));
}

// The blocks in the order the file search returns the names, learnt from
// the same search the program makes.
std::string expectedFolder(const std::string& folder) {
    const std::string dir = folderPrefix(folder);
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((dir + "skill*.vnt").c_str(), &entry);
    check(search != INVALID_HANDLE_VALUE, "no cards in " + folder);
    do {
        names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return publish(composeFolder(dir, names));
}

std::string::size_type count(const std::string& text, const std::string& part) {
    std::string::size_type n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// --- steps a user takes -------------------------------------------------------

void processCard(const Program& program, const std::string& path) {
    program.command(40002);
    HWND dialog = program.waitForOwnedDialogWith(1148, "open-file dialog");
    program.chooseFile(dialog, "skill*.vnt", path);
    program.waitUntilClosed(dialog, "the open-file dialog");
}

void processFolder(const Program& program, const std::string& folder) {
    program.command(40003);
    HWND browser = program.waitForOwnedDialogWithClass("SysTreeView32", "folder browser");
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

void save(const Program& program, const std::string& path) {
    HWND dialog = waitForSaveDialog(program);
    program.chooseFile(dialog, "report.txt", path);
    program.waitUntilClosed(dialog, "the save-file dialog");
}

void checkFileBecomes(const std::string& path, const std::string& expected,
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
    check(false, what + ": " + path + (content ? " holds " + std::to_string(content->size()) +
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
    char caption[64] = "";
    GetWindowTextA(program.main(), caption, sizeof caption);
    check(std::string(caption) == "Mornstave ver.0.20", std::string("caption is ") + caption);
    check(program.result() == kStartText, "start text is " + program.result());
    const LONG style = GetWindowLongA(program.resultBox(), GWL_STYLE);
    check((style & ES_READONLY) && (style & ES_MULTILINE), "the result box is not read-only");
    check(textOf(GetDlgItem(program.main(), 1003)) == "結果の保存", "save button text");

    program.command(1001);
    check(program.waitForExit("終了(&X)") == 0, "exit status after 終了 is not 0");
}

// The menu as the program carries it: Japanese texts come out garbled when
// the resource compiler misreads the script's code page.
void menuItems(const Setup& setup) {
    HMODULE module = LoadLibraryExA(setup.program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check(module != nullptr, "cannot read the program's resources");
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(104));
    FreeLibrary(module);
    check(menu != nullptr, "no menu 104");
    auto text = [&](UINT item, UINT how) {
        char buffer[128] = "";
        GetMenuStringA(menu, item, buffer, sizeof buffer, how);
        return std::string(buffer);
    };
    const std::vector<std::pair<UINT, std::string>> popups = {
        {0, "ファイル(&F)"}, {1, "ツール(&T)"}, {2, "ヘルプ(&H)"}};
    const std::vector<std::pair<UINT, std::string>> items = {
        {40002, "技能カードを処理(&O)"},
        {40003, "フォルダ内技能カードを全て処理(&A)"},
        {1001, "終了(&X)"},
        {40004, "オプション(&O)"},
        {1000, "バージョン情報(&A)"}};
    std::string wrong;
    for (const auto& [position, expected] : popups) {
        if (text(position, MF_BYPOSITION) != expected) wrong += " menu " + expected;
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
    const std::string out = setup.path("out\\empty.txt");
    writeFile(out, "left over from an earlier run");
    Program program(setup.program);
    save(program, out);
    checkFileBecomes(out, "", "saving before any command");
    check(program.result() == kStartText, "saving changed the result box");
}

void oneGoodCard(const Setup& setup) {
    const std::string card = setup.path("single\\skill_good.vnt");
    const std::string expected = expectedCard(card);
    // What the composition gives must itself have the shape the user sees.
    check(startsWith(expected, "[" + card + "]\r\n"), "header line");
    check(count(expected, "\n") == count(expected, "\r\n"), "a bare LF in the text");
    check(count(expected, "一行目\r\r\n二行目") == 1, "the card's own CR LF is not CR CR LF");
    check(count(expected, "\r\nlevel: ") == 1 && endsWith(expected, "\r\n") &&
              !endsWith(expected, "\r\n\r\n"),
          "the text does not end in exactly one level line");

    Program program(setup.program);
    processCard(program, card);
    program.waitForResult(expected, "one good card");

    const std::string out = setup.path("out\\one.txt");
    save(program, out);
    checkFileBecomes(out, expected, "saving one card");
}

void failingCard(const Setup& setup) {
    const std::string good = setup.path("single\\skill_good.vnt");
    Program program(setup.program);
    processCard(program, good);
    const std::string expected = expectedCard(good);
    program.waitForResult(expected, "the good card");

    processCard(program, setup.path("single\\skill_text.vnt"));
    program.waitForResult("技能カードではありません", "a file that is no card");
    processCard(program, setup.path("folder\\skill2.vnt"));
    program.waitForResult("ファイルが壊れています", "a corrupt card");

    const std::string out = setup.path("out\\after-failure.txt");
    save(program, out);
    checkFileBecomes(out, expected, "saving after a failure writes the last result");
}

void cancelledDialogs(const Setup& setup) {
    Program program(setup.program);
    program.command(40002);
    HWND open = program.waitForOwnedDialogWith(1148, "open-file dialog");
    program.enterFileName(open, "skill*.vnt", setup.path("single\\skill_good.vnt"));
    program.press(open, IDCANCEL);
    program.waitUntilClosed(open, "the cancelled open-file dialog");
    check(program.result() == kStartText, "cancelling the open-file dialog changed the box");

    program.command(40003);
    HWND browser = program.waitForOwnedDialogWithClass("SysTreeView32", "folder browser");
    program.selectFolder(browser, setup.path("folder"));
    program.press(browser, IDCANCEL);
    program.waitUntilClosed(browser, "the cancelled folder browser");
    check(program.result() == kStartText, "cancelling the folder browser changed the box");

    const std::string out = setup.path("out\\cancelled.txt");
    DeleteFileA(out.c_str());
    HWND saveDialog = waitForSaveDialog(program);
    program.enterFileName(saveDialog, "report.txt", out);
    program.press(saveDialog, IDCANCEL);
    program.waitUntilClosed(saveDialog, "the cancelled save-file dialog");
    check(!readFile(out), "cancelling the save-file dialog wrote a file");
    check(program.result() == kStartText, "cancelling the save-file dialog changed the box");
}

void folderWithCorruptCard(const Setup& setup) {
    const std::string folder = setup.path("folder");
    const std::string expected = expectedFolder(folder);
    check(count(expected, "\r\n\r\n[") == 2 && endsWith(expected, "\r\n\r\n"),
          "three blocks, each closed by an empty line");
    check(count(expected, "[" + folder + "\\skill2.vnt]\r\nファイルが壊れています\r\n\r\n") == 1,
          "the corrupt card's block");
    check(count(expected, "notes.txt") == 0, "a file outside the pattern was walked");

    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected, "folder with a corrupt card");
}

void folderWithoutCards(const Setup& setup) {
    Program program(setup.program);
    processFolder(program, setup.path("nocards"));
    HWND box = waitForMessageBox(program);
    check(textOf(GetDlgItem(box, 0xFFFF)) == "技能カードが見つかりません",
          "message box says " + textOf(GetDlgItem(box, 0xFFFF)));
    program.press(box, IDOK);
    program.waitUntilClosed(box, "the message box");
    check(program.result() == kStartText, "a folder without cards changed the box");
    const std::string out = setup.path("out\\nocards.txt");
    save(program, out);
    checkFileBecomes(out, "", "a folder without cards left a result to save");
}

void folderEntryThatIsAFolder(const Setup& setup) {
    const std::string folder = setup.path("withfolder");
    const std::string expected = expectedFolder(folder);
    check(count(expected, "[" + folder + "\\skill_dir.vnt]\r\n開けません\r\n\r\n") == 1,
          "the folder entry's block");
    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected, "folder holding a folder named like a card");
}

void folderNameEndingInByte5C(const Setup& setup) {
    // 表 is 0x95 0x5C: the folder needs its separator appended all the same.
    const std::string folder = setup.path("表");
    const std::string expected = expectedFolder(folder);
    check(startsWith(expected, "[" + folder + "\\skill1.vnt]\r\n"), "header of the card in 表");
    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected, "folder named 表");
}

void saveOverExistingFile(const Setup& setup) {
    const std::string card = setup.path("single\\skill_good.vnt");
    const std::string out = setup.path("out\\existing.txt");
    writeFile(out, std::string(100000, 'x'));
    Program program(setup.program);
    processCard(program, card);
    const std::string expected = expectedCard(card);
    program.waitForResult(expected, "the card to save");
    // Closing on OK alone shows that no overwrite question was asked.
    save(program, out);
    checkFileBecomes(out, expected, "saving over an existing file");
}

// Closes a handle when leaving its scope, also when a check throws.
struct ScopedHandle {
    HANDLE handle;
    ~ScopedHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

void saveToLockedFile(const Setup& setup) {
    const std::string out = setup.path("out\\locked.txt");
    writeFile(out, "kept");
    std::string message;
    {
        // Held open without sharing, as another program would hold it.
        ScopedHandle lock{
            CreateFileA(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
        check(lock.handle != INVALID_HANDLE_VALUE, "cannot lock " + out);
        Program program(setup.program);
        save(program, out);
        HWND box = waitForMessageBox(program);
        message = textOf(GetDlgItem(box, 0xFFFF));
        program.press(box, IDOK);
        program.waitUntilClosed(box, "the message box");
    }
    check(message == out + ": 開けません", "message box says " + message);
    check(readFile(out) == std::string("kept"), "the locked file changed");
}

HWND openAbout(const Program& program) {
    program.command(1000);
    return program.waitForDialog(
        [&](HWND window) {
            char caption[64] = "";
            GetWindowTextA(window, caption, sizeof caption);
            return ownerOf(window) == program.main() &&
                   std::string(caption) == "Mornstave ver.0.20 について";
        },
        "About box");
}

void aboutBox(const Setup& setup) {
    Program program(setup.program);
    HWND about = openAbout(program);
    check(className(GetDlgItem(about, IDOK)) == "Button" && textOf(GetDlgItem(about, IDOK)) == "OK",
          "the About box has no OK button");
    program.press(about, IDOK);
    program.waitUntilClosed(about, "the About box (OK)");

    about = openAbout(program);
    PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    program.waitUntilClosed(about, "the About box (close box)");
    check(IsWindowVisible(program.main()), "the main window went with the About box");

    PostMessageA(program.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
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
    {"save_over_existing_file", saveOverExistingFile},
    {"save_to_locked_file", saveToLockedFile},
    {"about_box_opens_and_closes", aboutBox},
    {"escape_closes_neither_window", escapeClosesNeither},
};

}  // namespace
}  // namespace MornstaveE2E

namespace MornstaveE2E {
namespace {

// Shows card in the program and writes the main window's screen rectangle
// to rectFile ("x y width height"), then keeps the window up until doneFile
// exists (or a minute has passed), for a screenshot taken from outside.
int pose(const std::string& program, const std::string& card, const std::string& rectFile,
         const std::string& doneFile) {
    try {
        Program shown(program);
        processCard(shown, card);
        shown.waitForResult(expectedCard(card), "the card to show");
        RECT r{};
        GetWindowRect(shown.main(), &r);
        std::ofstream(rectFile) << r.left << ' ' << r.top << ' ' << (r.right - r.left) << ' '
                                << (r.bottom - r.top) << '\n';
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

int main(int argc, char** argv) {
    using namespace MornstaveE2E;
    if (argc == 6 && std::string(argv[1]) == "pose") {
        return pose(argv[2], argv[3], argv[4], argv[5]);
    }
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: mornstavew_e2e PROGRAM WORKDIR [CASE...]\n"
                     "       mornstavew_e2e pose PROGRAM CARD RECTFILE DONEFILE\n");
        return 2;
    }
    const Setup setup{argv[1], argv[2]};
    try {
        makeCards(setup);
    } catch (const CheckFailed& e) {
        std::printf("FAIL setup: %s\n", e.what());
        return 1;
    }
    int failed = 0;
    for (const Case& c : kCases) {
        bool selected = argc == 3;
        for (int i = 3; i < argc; ++i) {
            selected = selected || std::string(argv[i]) == c.name;
        }
        if (!selected) {
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
