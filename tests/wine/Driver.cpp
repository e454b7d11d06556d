// End-to-end cases of the dialog program, run under Wine (or Windows):
//   mornstavew_e2e.exe PROGRAM WORKDIR [--code-page=N] [--dpi=N] [CASE...]
// Makes its card files under WORKDIR, runs PROGRAM once per case and
// prints one "PASS name" or "FAIL name: why" line per case.  With
// --code-page, the system's ANSI code page must be N (the locale the
// cases run under); with --dpi, the system's DPI must be N.  The console program is mornstave.exe beside PROGRAM.
//   mornstavew_e2e.exe pose PROGRAM CARD RECTFILE DONEFILE [WIDTH HEIGHT]
// holds the program up showing CARD, its frame resized to WIDTH x HEIGHT
// when given, for a screenshot.
//   mornstavew_e2e.exe bench PROGRAM FOLDER
// times the result of FOLDER's cards.

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "CardRows.hpp"
#include "Compose.hpp"
#include "Remote.hpp"
#include "cardwriter/CardWriter.hpp"
#include "format/Version.hpp"
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
// A name outside the BMP: two UTF-16 units for one character.
const std::u16string kEmoji = u"\U0001F525";
constexpr int kLargeFolderCards = 400;

struct Setup {
    std::u16string program;
    std::u16string work;  // no trailing backslash
    UINT codePage = 0;    // the expected ANSI code page; 0: any
    UINT dpi = 0;         // the expected DPI; 0: any

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
                                      u"表",     u"out",    kKorean,     kGreek, u"large", u"table", kEmoji};
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
    writeFile(setup.path(kEmoji + u"\\skill1.vnt"), cardWithEvent());
    // Stated and estimated levels far apart and close, one card without an
    // estimate, a name with a line break, and a failure.
    auto aimed = [](const char* name, std::int32_t level, std::int32_t power, std::uint8_t target) {
        SkillCardRecord record;
        record.name = name;
        record.targetType = target;
        record.targetsAll = target == 4;
        record.motions = {MotionRecord{0, 1, 5, 0, power}};
        record.cardLevel = level;
        return record.bytes().data;
    };
    writeFile(setup.path(u"table\\skill_a.vnt"), aimed("炎の矢", 3, 4, 3));
    writeFile(setup.path(u"table\\skill_b.vnt"), aimed("Zephyr", 9, 12, 3));
    writeFile(setup.path(u"table\\skill_c.vnt"), aimed("嵐の舞", 9, 15, 4));
    writeFile(setup.path(u"table\\skill_d.vnt"), cardWithoutEvent());
    writeFile(setup.path(u"table\\skill_e.vnt"), cardWithEvent());
    writeFile(setup.path(u"table\\skill_f.vnt"), corruptCard());
    // More text than the box takes in one piece.
    for (int i = 0; i < kLargeFolderCards; ++i) {
        const std::string number = std::to_string(1000 + i);
        writeFile(setup.path(u"large\\skill" + std::u16string(number.begin(), number.end()) + u".vnt"),
                  i % 2 ? cardWithoutEvent() : cardWithEvent());
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

bool isFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Several dropped or given paths: a folder's cards as the folder command
// walks them, any other path as a card of its own, in the order given.
Composed expectedList(const std::vector<std::u16string>& paths) {
    Composed result;
    for (const auto& path : paths) {
        if (isFolder(path)) {
            const std::u16string dir = folderPrefix(path);
            for (const auto& name : cardNames(dir)) Mornstave::composeEntry(result, dir + name);
        } else {
            Mornstave::composeEntry(result, path);
        }
    }
    return publish(result);
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

// The question the save dialog asks before replacing an existing file, answered.
void answerReplacePrompt(const Program& program, HWND saveDialog, WORD answer) {
    HWND prompt = program.waitForDialog(
        [&](HWND window) { return ownerOf(window) == saveDialog && GetDlgItem(window, IDYES) != nullptr; },
        "the question before replacing a file");
    program.press(prompt, answer);
    program.waitUntilClosed(prompt, "the question before replacing a file");
}

bool fileExists(const std::u16string& path) { return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES; }

// Saves to the path; a file there already is replaced, as the user confirms.
void save(const Program& program, const std::u16string& path) {
    const bool replacing = fileExists(path);
    HWND dialog = waitForSaveDialog(program);
    program.chooseFile(dialog, u"report.txt", path);
    if (replacing) answerReplacePrompt(program, dialog, IDYES);
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

// A folder named with an emoji: its header shows the whole character, the
// saved one a single '?'.
void folderNamedOutsideTheBmp(const Setup& setup) {
    const std::u16string folder = setup.path(kEmoji);
    const Composed expected = expectedFolder(folder);
    check(count(expected.shown, u"[" + folder + u"\\skill1.vnt]\r\n") == 1, "the shown header");
    check(count(expected.bytes, narrow(setup.path(u"")) + "?\\skill1.vnt]") == 1, "the saved header");
    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected.shown, "folder named with an emoji");
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
    // Asked first: "No" keeps the file and the dialog open.
    HWND dialog = waitForSaveDialog(program);
    program.chooseFile(dialog, u"report.txt", out);
    answerReplacePrompt(program, dialog, IDNO);
    check(IsWindow(dialog), "answering No closed the save-file dialog");
    program.press(dialog, IDCANCEL);
    program.waitUntilClosed(dialog, "the save-file dialog");
    check(readFile(out) == std::string(100000, 'x'), "answering No changed the file");
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

// --- a modern window ---------------------------------------------------------------

RECT windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

SIZE frameSize(HWND window) {
    const RECT r = windowRect(window);
    return {r.right - r.left, r.bottom - r.top};
}

SIZE clientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

// A control's rectangle in its parent's client coordinates.
RECT placeOf(HWND parent, HWND control) {
    RECT r = windowRect(control);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

// The height of the result box's first line, from where its second starts.
int lineHeight(HWND box) {
    const LRESULT second = sendTimed(box, EM_LINEINDEX, 1, 0);
    check(second > 0, "the result box holds a single line");
    const auto top = [&](LRESULT index) {
        return static_cast<short>(HIWORD(sendTimed(box, EM_POSFROMCHAR, index, 0)));
    };
    return top(second) - top(0);
}

void resize(const Program& program, LONG width, LONG height) {
    const RECT r = windowRect(program.main());
    SetWindowPos(program.main(), nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    program.settle();
}

// The frame resized, maximized, held at its minimum and moved to another
// DPI: the box fills all but its designed margins, the save button keeps
// its distance to the lower right corner, and every figure and the font
// scale with the DPI.
void resizeKeepsLayout(const Setup& setup) {
    const std::u16string card = setup.path(u"single\\skill_good.vnt");
    Program program(setup.program);
    processCard(program, card);
    program.waitForResult(expectedCard(card).shown, "a card to lay out");
    HWND main = program.main();
    HWND box = program.resultBox();
    HWND save = GetDlgItem(main, 1003);
    const RECT frame = windowRect(main);
    const SIZE designed = frameSize(main);
    const SIZE client = clientSize(main);
    const RECT box0 = placeOf(main, box);
    const RECT save0 = placeOf(main, save);
    const int line0 = lineHeight(box);

    // Every figure at `to` DPI, from the one measured at `from`, rounded as
    // the program rounds.
    auto checkLayout = [&](int to, int from, const std::string& what) {
        auto scaled = [&](LONG value) { return MulDiv(value, to, from); };
        const SIZE now = clientSize(main);
        const RECT b = placeOf(main, box);
        const RECT s = placeOf(main, save);
        check(b.left == scaled(box0.left) && b.top == scaled(box0.top) &&
                  now.cx - b.right == scaled(client.cx - box0.right) &&
                  now.cy - b.bottom == scaled(client.cy - box0.bottom),
              what + ": the box is at " + describe(b) + " in a client area of " +
                  std::to_string(now.cx) + "x" + std::to_string(now.cy));
        check(now.cx - s.left == scaled(client.cx - save0.left) &&
                  now.cy - s.top == scaled(client.cy - save0.top) &&
                  s.right - s.left == scaled(save0.right - save0.left) &&
                  s.bottom - s.top == scaled(save0.bottom - save0.top),
              what + ": the save button is at " + describe(s));
    };
    auto checkFrame = [&](LONG width, LONG height, const std::string& what) {
        const SIZE now = frameSize(main);
        check(now.cx == width && now.cy == height,
              what + ": the frame is " + std::to_string(now.cx) + "x" + std::to_string(now.cy) +
                  ", not " + std::to_string(width) + "x" + std::to_string(height));
    };

    resize(program, designed.cx + 100, designed.cy + 60);
    checkFrame(designed.cx + 100, designed.cy + 60, "enlarged");
    checkLayout(1, 1, "enlarged");
    resize(program, 100, 80);
    checkFrame(designed.cx, designed.cy, "made too small");
    checkLayout(1, 1, "at the designed size");
    sendTimed(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    check(IsZoomed(main), "the window did not maximize");
    checkLayout(1, 1, "maximized");
    sendTimed(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    check(windowRect(main) == frame, "restoring did not give the frame back");

    // A new DPI as Windows announces it: the suggested frame, then the
    // controls and the box's font at that DPI.  Twice the DPI, or half at
    // 192 and more, so that the frame fits on the screen.
    const int dpi = setup.dpi != 0 ? static_cast<int>(setup.dpi) : 96;
    const int newDpi = dpi >= 192 ? dpi / 2 : dpi * 2;
    auto changeDpi = [&](int to, const RECT& suggested) {
        RemoteBuffer rect(program.process(), sizeof suggested);
        rect.write(0, &suggested, sizeof suggested);
        sendTimed(main, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(to, to),
                  reinterpret_cast<LPARAM>(rect.at(0)));
        program.settle();
    };
    const SIZE scaledFrame{MulDiv(designed.cx, newDpi, dpi), MulDiv(designed.cy, newDpi, dpi)};
    const RECT suggested{frame.left, frame.top, frame.left + scaledFrame.cx, frame.top + scaledFrame.cy};
    changeDpi(newDpi, suggested);
    check(windowRect(main) == suggested, "the frame is not the one suggested for the new DPI");
    checkLayout(newDpi, dpi, "at the new DPI");
    const int line = lineHeight(box);
    check(std::abs(line * dpi - line0 * newDpi) * 100 <= 15 * line0 * newDpi,
          "the line height went from " + std::to_string(line0) + " to " + std::to_string(line) +
              " pixels at " + std::to_string(newDpi) + " DPI");
    resize(program, 100, 80);
    checkFrame(scaledFrame.cx, scaledFrame.cy, "made too small at the new DPI");
    changeDpi(dpi, frame);
    checkLayout(1, 1, "back at the first DPI");
    check(lineHeight(box) == line0, "the line height did not come back");
}

HKEY settingsKey() {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Mornstave", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    &key, nullptr);
    check(key != nullptr, "cannot open the program's settings");
    return key;
}

std::u16string withoutSeparator(std::u16string path) {
    while (!path.empty() && path.back() == u'\\') path.pop_back();
    return path;
}

void exitProgram(Program& program) {
    program.command(1001);
    check(program.waitForExit("終了(&X)") == 0, "exit status after 終了 is not 0");
}

// Size, place and maximized state, and each dialog's folder, as the user
// left them, in the next run; a frame on no present monitor is not used.
void remembersWindowAndFolders(const Setup& setup) {
    RECT designed{};
    RECT left{};
    {
        Program first(setup.program);
        designed = windowRect(first.main());
        SetWindowPos(first.main(), nullptr, 60, 50, designed.right - designed.left + 120,
                     designed.bottom - designed.top + 90, SWP_NOZORDER | SWP_NOACTIVATE);
        first.settle();
        left = windowRect(first.main());
        const std::u16string card = setup.path(u"single\\skill_good.vnt");
        processCard(first, card);
        first.waitForResult(expectedCard(card).shown, "the card");
        processFolder(first, setup.path(u"folder"));
        first.waitForResult(expectedFolder(setup.path(u"folder")).shown, "the folder");
        save(first, setup.path(u"out\\remembered.txt"));
        PostMessageW(first.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
        check(first.waitForExit("the close box") == 0, "exit status after the close box is not 0");
    }
    {
        Program second(setup.program);
        check(windowRect(second.main()) == left,
              "the window opened at " + describe(windowRect(second.main())) + ", not " + describe(left));
        second.command(40002);
        HWND open = second.waitForOwnedDialogWith(1148, "open-file dialog");
        std::u16string shown;
        check(waitUntil([&] { return (shown = second.dialogFolder(open)) == setup.path(u"single"); }),
              "the open-file dialog starts in " + narrow(shown));
        second.press(open, IDCANCEL);
        second.waitUntilClosed(open, "the open-file dialog");

        second.command(40003);
        HWND browser = second.waitForOwnedDialogWithClass(L"SysTreeView32", "folder browser");
        check(waitUntil([&] { return (shown = second.selectedFolderName(browser)) == u"folder"; }),
              "the folder browser starts at " + narrow(shown));
        second.press(browser, IDCANCEL);
        second.waitUntilClosed(browser, "the folder browser");

        HWND saveDialog = waitForSaveDialog(second);
        check(waitUntil([&] {
                  return withoutSeparator(shown = second.dialogFolder(saveDialog)) == setup.path(u"out");
              }),
              "the save-file dialog starts in " + narrow(shown));
        second.press(saveDialog, IDCANCEL);
        second.waitUntilClosed(saveDialog, "the save-file dialog");

        sendTimed(second.main(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        exitProgram(second);
    }
    {
        Program third(setup.program);
        check(IsZoomed(third.main()), "the window did not open maximized");
        sendTimed(third.main(), WM_SYSCOMMAND, SC_RESTORE, 0);
        check(windowRect(third.main()) == left, "restored, the window is not where it was left");
        exitProgram(third);
    }
    HKEY key = settingsKey();
    for (const auto& [name, value] : {std::pair{L"WindowLeft", 20000}, std::pair{L"WindowTop", 20000},
                                      std::pair{L"WindowRight", 20400},
                                      std::pair{L"WindowBottom", 20400},
                                      std::pair{L"WindowMaximized", 0}}) {
        const DWORD data = static_cast<DWORD>(value);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    }
    RegCloseKey(key);
    Program fourth(setup.program);
    check(windowRect(fourth.main()) == designed,
          "a frame off every monitor was used: " + describe(windowRect(fourth.main())));
}

std::u16string quoted(const std::u16string& path) {
    return u"\"" + path + u"\"";
}

// Dropped paths, in a DROPFILES block as the shell builds it.
void dropFiles(const Setup& setup) {
    const std::u16string card = setup.path(u"single\\skill_good.vnt");
    Program program(setup.program);
    {
        const auto block = program.drop({card});
        program.waitForResult(expectedCard(card).shown, "one dropped card");
    }
    const std::vector<std::u16string> paths = {
        setup.path(u"folder\\skill3.vnt"), card, setup.path(kKorean),
        setup.path(u"single\\skill_text.vnt"), setup.path(u"missing\\skill_none.vnt")};
    const Composed expected = expectedList(paths);
    check(count(expected.bytes, std::string("\r\nlevel: ")) == 5 &&
              count(expected.bytes, std::string("\r\n技能カードではありません\r\n")) == 1 &&
              count(expected.bytes, std::string("\r\n開けません\r\n")) == 1,
          "five cards and two error blocks");
    {
        const auto block = program.drop(paths);
        program.waitForResult(expected.shown, "cards, a folder, a non-card and a missing path dropped");
    }
    const std::u16string out = setup.path(u"out\\dropped.txt");
    save(program, out);
    checkFileBecomes(out, expected.bytes, "saving the dropped paths");

    const auto block = program.drop({setup.path(u"nocards")});
    HWND box = waitForMessageBox(program);
    const std::u16string message = textOf(GetDlgItem(box, 0xFFFF));
    program.press(box, IDOK);
    program.waitUntilClosed(box, "the message box");
    check(message == u"技能カードが見つかりません", "message box says " + narrow(message));
}

// Paths on the command line, as "Open with", "Send to" or a drop on the
// program's icon give them.
void commandLine(const Setup& setup) {
    const std::u16string card = setup.path(u"single\\skill_good.vnt");
    {
        Program program(setup.program, quoted(card));
        program.waitForResult(expectedCard(card).shown, "one card on the command line");
    }
    {
        const std::vector<std::u16string> paths = {setup.path(u"表"), card, setup.path(kGreek)};
        Program program(setup.program,
                        quoted(paths[0]) + u" " + quoted(paths[1]) + u" " + quoted(paths[2]));
        program.waitForResult(expectedList(paths).shown, "a folder, a card and a folder");
    }
    {
        Program program(setup.program, quoted(setup.path(u"single\\skill_text.vnt")));
        program.waitForResult(u"技能カードではありません", "a file that is no card");
    }
}

// The program's keys, from its accelerator table (Wine cannot read the
// menu of another process, whose labels the program makes from the same
// table; the labels' form is unit-tested).
std::vector<ACCEL> acceleratorsOf(const std::u16string& exe) {
    HMODULE module = LoadLibraryExW(wide(exe), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    check(module != nullptr, "cannot read the program's resources");
    HACCEL table = LoadAcceleratorsW(module, MAKEINTRESOURCEW(105));
    std::vector<ACCEL> keys(table != nullptr ? CopyAcceleratorTableW(table, nullptr, 0) : 0);
    if (table != nullptr) CopyAcceleratorTableW(table, keys.data(), static_cast<int>(keys.size()));
    FreeLibrary(module);
    return keys;
}

void keyboardShortcuts(const Setup& setup) {
    std::string keys;
    for (const ACCEL& key : acceleratorsOf(setup.program)) {
        keys += std::string(key.fVirt & FCONTROL ? "Ctrl+" : "") + (key.fVirt & FSHIFT ? "Shift+" : "") +
                (key.fVirt & FALT ? "Alt+" : "") + static_cast<char>(key.key) + "=" +
                std::to_string(key.cmd) + " ";
    }
    check(keys == "Ctrl+O=40002 Ctrl+Shift+O=40003 Ctrl+S=1003 Ctrl+A=40005 ",
          "the accelerator table is " + keys);

    Program program(setup.program);
    program.pressKeys({VK_CONTROL}, 'O');
    HWND open = program.waitForOwnedDialogWith(1148, "open-file dialog after Ctrl+O");
    program.press(open, IDCANCEL);
    program.waitUntilClosed(open, "the open-file dialog");
    program.pressKeys({VK_CONTROL, VK_SHIFT}, 'O');
    HWND browser = program.waitForOwnedDialogWithClass(L"SysTreeView32", "folder browser after Ctrl+Shift+O");
    program.press(browser, IDCANCEL);
    program.waitUntilClosed(browser, "the folder browser");
    program.pressKeys({VK_CONTROL}, 'S');
    HWND saveDialog = program.waitForDialog(
        [&](HWND window) {
            return window != program.main() && ownerOf(window) == nullptr &&
                   GetDlgItem(window, 1148) != nullptr;
        },
        "save-file dialog after Ctrl+S");
    program.press(saveDialog, IDCANCEL);
    program.waitUntilClosed(saveDialog, "the save-file dialog");

    program.focus(program.resultBox());
    program.pressKeys({VK_CONTROL}, 'A');
    const auto length = static_cast<WORD>(kStartText.size());
    check(waitUntil([&] {
              const auto selection = static_cast<DWORD>(sendTimed(program.resultBox(), EM_GETSEL, 0, 0));
              return LOWORD(selection) == 0 && HIWORD(selection) == length;
          }),
          "Ctrl+A did not select the whole result");
    check(program.result() == kStartText, "a shortcut changed the box");
}

HWND openOptions(const Program& program) {
    program.command(40004);
    return program.waitForOwnedDialogWith(1102, "options dialog");
}

void chooseOptions(const Program& program, int encodingButton, int points) {
    HWND options = openOptions(program);
    sendTimed(GetDlgItem(options, encodingButton), BM_CLICK, 0, 0);
    HWND sizes = GetDlgItem(options, 1103);
    const auto items = sendTimed(sizes, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < items; ++i) {
        if (sendTimed(sizes, CB_GETITEMDATA, i, 0) == points) sendTimed(sizes, CB_SETCURSEL, i, 0);
    }
    program.press(options, IDOK);
    program.waitUntilClosed(options, "the options dialog");
}

// The saved report's encoding and the box's font size, kept per user.
void optionsChangeSavedBytes(const Setup& setup) {
    const std::u16string card = setup.path(u"single\\skill_good.vnt");
    const Composed expected = expectedCard(card);
    const std::string utf8 = "\xEF\xBB\xBF" + Vantorn::utf16ToUtf8(expected.shown);
    int large = 0;
    {
        Program program(setup.program);
        processCard(program, card);
        program.waitForResult(expected.shown, "the card");
        const int normal = lineHeight(program.resultBox());
        HWND options = openOptions(program);
        check(sendTimed(GetDlgItem(options, 1101), BM_GETCHECK, 0, 0) == BST_CHECKED,
              "CP932 is not the first choice");
        program.press(options, IDCANCEL);
        program.waitUntilClosed(options, "the cancelled options dialog");

        chooseOptions(program, 1102, 18);
        large = lineHeight(program.resultBox());
        check(large * 10 >= normal * 17, "18 points are " + std::to_string(large) +
                                              " pixels a line, 9 points " + std::to_string(normal));
        const std::u16string out = setup.path(u"out\\utf-8.txt");
        save(program, out);
        checkFileBecomes(out, utf8, "saving as UTF-8");
    }
    Program program(setup.program);
    processCard(program, card);
    program.waitForResult(expected.shown, "the card in the next run");
    check(lineHeight(program.resultBox()) == large, "the font size was not kept");
    const std::u16string again = setup.path(u"out\\utf-8-again.txt");
    save(program, again);
    checkFileBecomes(again, utf8, "saving as UTF-8 in the next run");
    chooseOptions(program, 1101, 9);
    const std::u16string cp932 = setup.path(u"out\\cp932-again.txt");
    save(program, cp932);
    checkFileBecomes(cp932, expected.bytes, "saving as CP932 again");
}

// More text than the box takes at once: it arrives in pieces, whole.
void largeFolderInPieces(const Setup& setup) {
    const std::u16string folder = setup.path(u"large");
    const Composed expected = expectedFolder(folder);
    // Several times what the box takes in one piece (32,768 characters).
    check(count(expected.bytes, std::string("\r\nlevel: ")) == kLargeFolderCards &&
              expected.shown.size() > 65536,
          "the large folder's text has " + std::to_string(expected.shown.size()) + " characters");
    Program program(setup.program);
    processFolder(program, folder);
    program.waitForResult(expected.shown, "a large folder");
    check(IsWindowEnabled(GetDlgItem(program.main(), 1003)), "the save button stayed disabled");
    const std::u16string out = setup.path(u"out\\large.txt");
    save(program, out);
    checkFileBecomes(out, expected.bytes, "saving the large folder");
}

// The table of the last result, saved as CSV and as HTML by the file type
// chosen: the console's summary of the same paths, in the same order.
void tableSavedAsCsvAndHtml(const Setup& setup) {
    const std::u16string dir = folderPrefix(setup.path(kKorean));
    const std::vector<std::u16string> names = cardNames(dir);
    std::u16string arguments;
    for (const auto& name : names) arguments += u" " + quoted(dir + name);
    arguments += u" " + quoted(setup.path(u"single\\skill_text.vnt"));
    auto console = [&](const std::u16string& format) {
        const std::u16string out = setup.path(u"out\\console-summary." + format);
        DeleteFileW(wide(out));
        runConsole(setup, u"--summary --format=" + format + u" --output=" + quoted(out) + arguments,
                   setup.path(u"out\\console-summary.stdout"));
        return readFile(out).value_or("");
    };

    Program program(setup.program);
    std::vector<std::u16string> paths;
    for (const auto& name : names) paths.push_back(dir + name);
    paths.push_back(setup.path(u"single\\skill_text.vnt"));
    const auto block = program.drop(paths);
    program.waitForResult(expectedList(paths).shown, "the cards to tabulate");

    auto saveTable = [&](const std::u16string& name, int fileType) {
        program.command(40006);
        HWND dialog = program.waitForOwnedDialogWith(1148, "table save dialog");
        if (fileType != 1) {
            // The file type list: choose the entry, as a click would.
            HWND types = GetDlgItem(dialog, 1136);
            sendTimed(types, CB_SETCURSEL, fileType - 1, 0);
            sendTimed(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
        }
        // A new file: an existing one would be asked about first.
        const std::u16string out = setup.path(u"out\\" + name);
        DeleteFileW(wide(out));
        program.chooseFile(dialog, textOf(GetDlgItem(dialog, 1148)), out);
        program.waitUntilClosed(dialog, "the table save dialog");
        return out;
    };
    const std::string csv = console(u"csv");
    check(csv.compare(0, 3, "\xEF\xBB\xBF") == 0 && count(csv, std::string("\r\n")) >= 5,
          "the console wrote no CSV table");
    checkFileBecomes(saveTable(u"table.csv", 1), csv, "the table as CSV");
    const std::string html = console(u"html");
    check(html.find("<html") != std::string::npos, "the console wrote no HTML page");
    checkFileBecomes(saveTable(u"table.html", 2), html, "the table as HTML");
}

std::u16string resourceString(const std::vector<BYTE>& info, const std::u16string& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::u16string path = u"\\StringFileInfo\\041104B0\\" + name;
    if (!VerQueryValueW(info.data(), wide(path), &value, &length) || length == 0) return {};
    return utf16(static_cast<const wchar_t*>(value));
}

// Both programs carry the version from the build's one version header and
// an application manifest.
void resources(const Setup& setup) {
    const WORD version[] = {MORNSTAVE_VERSION_COMMAS};
    for (const std::u16string& exe : {setup.program, setup.console()}) {
        const std::string name = narrow(exe.substr(exe.rfind(u'\\') + 1));
        std::vector<BYTE> info(GetFileVersionInfoSizeW(wide(exe), nullptr));
        check(!info.empty() && GetFileVersionInfoW(wide(exe), 0, static_cast<DWORD>(info.size()),
                                                   info.data()),
              name + " has no version information");
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        check(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
                  fixed->dwFileVersionMS == static_cast<DWORD>(MAKELONG(version[1], version[0])) &&
                  fixed->dwFileVersionLS == static_cast<DWORD>(MAKELONG(version[3], version[2])),
              name + ": wrong fixed file version");
        check(resourceString(info, u"ProductName") == Vantorn::cp932ToUtf16(MORNSTAVE_PRODUCT) &&
                  resourceString(info, u"ProductVersion") == Vantorn::cp932ToUtf16(MORNSTAVE_VERSION) &&
                  resourceString(info, u"FileVersion") == Vantorn::cp932ToUtf16(MORNSTAVE_VERSION) &&
                  resourceString(info, u"OriginalFilename") == Vantorn::cp932ToUtf16(name) &&
                  resourceString(info, u"FileDescription").find(u"Mornstave") == 0,
              name + ": wrong version strings");

        HMODULE module = LoadLibraryExW(wide(exe), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        check(module != nullptr, "cannot read the resources of " + name);
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        const std::string manifest =
            found == nullptr ? std::string()
                             : std::string(static_cast<const char*>(LockResource(LoadResource(module, found))),
                                           SizeofResource(module, found));
        FreeLibrary(module);
        std::string missing;
        std::vector<std::string> parts = {
            "level=\"asInvoker\"", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
            "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};
        if (exe == setup.program) {
            parts.insert(parts.end(), {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                       ">PerMonitorV2</dpiAwareness>", ">true</dpiAware>"});
        }
        for (const auto& part : parts) {
            if (manifest.find(part) == std::string::npos) missing += " " + part;
        }
        check(missing.empty(), name + ": the manifest lacks" + missing);
    }
}

void systemDpi(const Setup& setup) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    check(setup.dpi == 0 || static_cast<UINT>(dpi) == setup.dpi,
          "the DPI is " + std::to_string(dpi) + ", not " + std::to_string(setup.dpi));
}

void forgetSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Mornstave");
}

// --- the card list --------------------------------------------------------------

using Rows = std::vector<std::vector<std::u16string>>;
using Mornstave::kEstimate;
using Mornstave::kLevel;
using Mornstave::kName;
using Mornstave::kPath;
constexpr int kListId = 1004;
constexpr int kColumns = Mornstave::kCardColumns;

// A cell as the list shows it: on one line, a control character in caret notation.
std::u16string oneLine(const std::u16string& text) {
    std::u16string line;
    for (char16_t c : text) {
        if (c < 0x20) {
            line += u'^';
            line += static_cast<char16_t>(c + 0x40);
        } else {
            line += c;
        }
    }
    return line;
}

// The console's CSV records (UTF-8, quoted fields) before the empty one
// that precedes the totals, without the header.
Rows csvRows(const std::string& csv) {
    Rows rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = csv.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted && c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
            field += csv[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == ',' || c == '\r')) {
            rows.back().push_back(oneLine(Vantorn::utf8ToUtf16(field)));
            field.clear();
            if (c == '\r') {
                ++i;  // the LF
                const auto& record = rows.back();
                if (std::all_of(record.begin(), record.end(), [](const auto& f) { return f.empty(); })) break;
                rows.emplace_back();
            }
        } else {
            field += c;
        }
    }
    rows.pop_back();  // the empty record
    rows.erase(rows.begin());
    return rows;
}

// The list's rows as the program shows them: every cell of the columns
// read with LVM_GETITEMTEXTW through a buffer in the program's memory.
Rows listRows(const Program& program, int columns = kColumns) {
    HWND list = GetDlgItem(program.main(), kListId);
    constexpr std::size_t kChars = 2048;
    RemoteBuffer buffer(program.process(), sizeof(LVITEMW) + kChars * sizeof(char16_t));
    Rows rows(static_cast<std::size_t>(sendTimed(list, LVM_GETITEMCOUNT, 0, 0)));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(buffer.at(sizeof item));
            item.cchTextMax = kChars;
            buffer.write(0, &item, sizeof item);
            std::u16string text(static_cast<std::size_t>(sendTimed(list, LVM_GETITEMTEXTW, row,
                                                                   reinterpret_cast<LPARAM>(buffer.at(0)))),
                                u'\0');
            buffer.read(sizeof item, text.data(), text.size() * sizeof(char16_t));
            rows[row].push_back(text);
        }
    }
    return rows;
}

std::vector<std::u16string> column(const Rows& rows, int at) {
    std::vector<std::u16string> cells;
    for (const auto& row : rows) cells.push_back(row[static_cast<std::size_t>(at)]);
    return cells;
}

bool listShown(const Program& program) {
    return IsWindowVisible(GetDlgItem(program.main(), kListId)) != 0;
}

// The cards of the table folder dropped on the window, as its search finds them.
std::vector<std::u16string> dropTable(const Program& program, const Setup& setup) {
    const std::u16string dir = folderPrefix(setup.path(u"table"));
    std::vector<std::u16string> paths;
    for (const auto& name : cardNames(dir)) paths.push_back(dir + name);
    const auto block = program.drop({setup.path(u"table")});
    program.waitForResult(expectedList(paths).shown, "the table folder");
    check(waitUntil([&] { return listShown(program); }), "no card list after a folder");
    return paths;
}

// A folder's list holds the console's summary, row for row and cell for
// cell, failures last; a single card has no list, as the window always was.
void cardListAsConsoleSummary(const Setup& setup) {
    const std::u16string card = setup.path(u"single\\skill_good.vnt");
    Program program(setup.program);
    processCard(program, card);
    program.waitForResult(expectedCard(card).shown, "a card");
    check(!listShown(program), "a single card shows a list");

    const std::vector<std::u16string> paths = dropTable(program, setup);
    std::u16string arguments = u"--summary --format=csv --output=" + quoted(setup.path(u"out\\list.csv"));
    for (const auto& path : paths) arguments += u" " + quoted(path);
    runConsole(setup, arguments, setup.path(u"out\\list.stdout"));
    const Rows expected = csvRows(readFile(setup.path(u"out\\list.csv")).value_or(""));
    check(expected.size() == 6 && expected.back()[7] == u"ファイルが壊れています" && expected[0][3] != u"",
          "the console's summary has " + std::to_string(expected.size()) + " rows");
    const Rows shown = listRows(program);
    check(shown.size() == expected.size(), "the list has " + std::to_string(shown.size()) + " rows");
    for (std::size_t row = 0; row < shown.size(); ++row) {
        for (int at = 0; at < kColumns; ++at) {
            check(shown[row][at] == expected[row][at],
                  "row " + std::to_string(row) + ", column " + std::to_string(at) + ": " +
                      narrow(shown[row][at]) + " where the summary has " + narrow(expected[row][at]));
        }
    }
    processCard(program, card);
    program.waitForResult(expectedCard(card).shown, "a card after the folder");
    check(!listShown(program), "the list stays after a single card");
}

// The header's sort mark of a column (HDF_SORTUP, HDF_SORTDOWN or 0).
int sortMark(const Program& program, int at) {
    HWND header = reinterpret_cast<HWND>(sendTimed(GetDlgItem(program.main(), kListId), LVM_GETHEADER, 0, 0));
    RemoteBuffer buffer(program.process(), sizeof(HDITEMW));
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    buffer.write(0, &item, sizeof item);
    sendTimed(header, HDM_GETITEMW, at, reinterpret_cast<LPARAM>(buffer.at(0)));
    buffer.read(0, &item, sizeof item);
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

// A click on a column's header, pressed and released at its middle.
void clickHeader(const Program& program, int at) {
    HWND header = reinterpret_cast<HWND>(sendTimed(GetDlgItem(program.main(), kListId), LVM_GETHEADER, 0, 0));
    RemoteBuffer buffer(program.process(), sizeof(RECT));
    sendTimed(header, HDM_GETITEMRECT, at, reinterpret_cast<LPARAM>(buffer.at(0)));
    RECT r{};
    buffer.read(0, &r, sizeof r);
    const LPARAM middle = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(header, WM_LBUTTONUP, 0, middle);
    program.drainPosted();
}

// The selection of the result box, as the text it covers.
std::u16string boxSelection(const Program& program) {
    const auto selection = static_cast<DWORD>(sendTimed(program.resultBox(), EM_GETSEL, 0, 0));
    return program.result().substr(LOWORD(selection), HIWORD(selection) - LOWORD(selection));
}

HWND focusOf(const Program& program) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(program.main(), nullptr), &gui);
    return gui.hwndFocus;
}

// Header clicks sort and reverse, with the mark; cards without an estimate
// stay last.  Ctrl+F and typing narrow the rows by name; arrows, Home and
// End select a row, whose header line the box then selects and shows at
// its top; Return moves the focus to the box.
void cardListSortFilterSelect(const Setup& setup) {
    Program program(setup.program);
    dropTable(program, setup);
    resize(program, 1000, 600);  // every column's header in sight
    const Rows first = listRows(program);

    clickHeader(program, kName);
    const std::vector<std::u16string> names = column(listRows(program), kName);
    // Texts sort by their CP932 bytes, as every output of the summary sorts them.
    const auto byBytes = [](const std::u16string& a, const std::u16string& b) {
        return Vantorn::utf16ToCp932(a) < Vantorn::utf16ToCp932(b);
    };
    check(std::is_sorted(names.begin(), names.end() - 1, byBytes) && names.back().empty(),
          "a click on 名称 did not sort by name, failure last");
    check(sortMark(program, kName) == HDF_SORTUP, "no ascending mark on 名称");
    clickHeader(program, kName);
    const std::vector<std::u16string> reversed = column(listRows(program), kName);
    check(std::is_sorted(reversed.rbegin() + 1, reversed.rend(), byBytes) && reversed.back().empty() && reversed != names,
          "a second click did not reverse the order");
    check(sortMark(program, kName) == HDF_SORTDOWN && sortMark(program, kLevel) == 0, "no descending mark on 名称");
    for (int click = 0; click < 2; ++click) {
        clickHeader(program, kEstimate);
        std::vector<std::u16string> estimates = column(listRows(program), kEstimate);
        const auto firstEmpty = std::find(estimates.begin(), estimates.end(), u"");
        const auto last = firstEmpty - 1;
        std::string shown;
        for (const auto& e : estimates) shown += narrow(e) + ";";
        check(firstEmpty - estimates.begin() >= 2 && std::all_of(firstEmpty, estimates.end(), [](const auto& e) { return e.empty(); }) &&
                  (std::stod(narrow(estimates.front())) > std::stod(narrow(*last))) == (click == 0),
              "estimates sorted as " + shown);
    }
    check(listRows(program) != first, "sorting left the order as it was");

    program.pressKeys({VK_CONTROL}, 'F');
    HWND filter = GetDlgItem(program.main(), 1005);
    check(waitUntil([&] { return focusOf(program) == filter; }), "Ctrl+F did not go to the filter");
    for (WORD key : {'Z', 'E', 'P'}) program.pressKeys({}, key);
    check(waitUntil([&] { return textOf(filter) == u"zep"; }), "the filter shows " + narrow(textOf(filter)));
    const Rows narrowed = listRows(program);
    check(narrowed.size() == 1 && narrowed[0][kName] == u"Zephyr",
          "the filter keeps " + std::to_string(narrowed.size()) + " rows");
    sendTimed(filter, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    check(listRows(program).size() == 6, "an empty filter does not keep every row");

    HWND list = GetDlgItem(program.main(), kListId);
    program.pressKeys({}, VK_TAB);
    check(waitUntil([&] { return focusOf(program) == list; }), "Tab did not go from the filter to the list");
    const Rows rows = listRows(program);
    HWND box = program.resultBox();
    auto checkSelected = [&](std::size_t row, const std::string& how) {
        const std::u16string header = u"[" + rows[row][kPath] + u"]";
        check(waitUntil([&] { return boxSelection(program) == header; }),
              how + ": the box selects " + narrow(boxSelection(program)));
        const auto line = sendTimed(box, EM_LINEFROMCHAR, LOWORD(sendTimed(box, EM_GETSEL, 0, 0)), 0);
        const auto first = sendTimed(box, EM_GETFIRSTVISIBLELINE, 0, 0);
        check(line >= first && line - first < clientSize(box).cy / lineHeight(box),
              how + ": the header line is out of sight");
    };
    program.pressKeys({}, VK_END);
    checkSelected(rows.size() - 1, "End");
    program.pressKeys({}, VK_UP);
    checkSelected(rows.size() - 2, "Up");
    program.pressKeys({}, VK_HOME);
    checkSelected(0, "Home");
    check(focusOf(program) == list, "the focus left the list");
    program.pressKeys({}, VK_RETURN);
    check(waitUntil([&] { return focusOf(program) == box; }), "Return did not move the focus to the box");
    checkSelected(0, "Return");

    // A double click on the second row, as the mouse sends it.
    program.focus(list);
    RemoteBuffer rect(program.process(), sizeof(RECT));
    RECT bounds{LVIR_LABEL, 0, 0, 0};
    rect.write(0, &bounds, sizeof bounds);
    sendTimed(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(rect.at(0)));
    rect.read(0, &bounds, sizeof bounds);
    const LPARAM at = MAKELPARAM(bounds.left + 4, (bounds.top + bounds.bottom) / 2);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        PostMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
    check(waitUntil([&] { return focusOf(program) == box; }), "a double click did not move the focus to the box");
    checkSelected(1, "a double click");
}

// The columns and the list's height follow the DPI; a width the user set
// and the splitter's place come back in the next run.
void cardListSizesScaleAndStay(const Setup& setup) {
    const int dpi = setup.dpi != 0 ? static_cast<int>(setup.dpi) : 96;
    auto width = [](const Program& program, int at) {
        return static_cast<int>(sendTimed(GetDlgItem(program.main(), kListId), LVM_GETCOLUMNWIDTH, at, 0));
    };
    auto listHeight = [](const Program& program) {
        const RECT r = placeOf(program.main(), GetDlgItem(program.main(), kListId));
        return static_cast<int>(r.bottom - r.top);
    };
    int height = 0;
    {
        Program program(setup.program);
        dropTable(program, setup);
        check(width(program, kPath) == MulDiv(200, dpi, 96), "the path column is " +
                                                                  std::to_string(width(program, kPath)) + " pixels wide");
        // The splitter bar dragged 40 pixels down, and a column widened.
        const RECT list = placeOf(program.main(), GetDlgItem(program.main(), kListId));
        const LONG x = (list.left + list.right) / 2;
        const LONG y = list.bottom + 1;
        height = listHeight(program) + 40;
        PostMessageW(program.main(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(program.main(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + 40));
        PostMessageW(program.main(), WM_LBUTTONUP, 0, MAKELPARAM(x, y + 40));
        program.drainPosted();
        check(listHeight(program) == height, "the list is " + std::to_string(listHeight(program)) +
                                                 " pixels high after the drag, not " + std::to_string(height));
        sendTimed(GetDlgItem(program.main(), kListId), LVM_SETCOLUMNWIDTH, kName, MulDiv(240, dpi, 96));
        exitProgram(program);
    }
    Program program(setup.program);
    dropTable(program, setup);
    check(std::abs(listHeight(program) - height) <= 1 && width(program, kName) == MulDiv(240, dpi, 96),
          "the next run's list is " + std::to_string(listHeight(program)) + " high, its name column " +
              std::to_string(width(program, kName)) + " wide");
    const int newDpi = dpi >= 192 ? dpi / 2 : dpi * 2;
    const RECT frame = windowRect(program.main());
    const RECT suggested{frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, newDpi, dpi),
                        frame.top + MulDiv(frame.bottom - frame.top, newDpi, dpi)};
    RemoteBuffer rect(program.process(), sizeof suggested);
    rect.write(0, &suggested, sizeof suggested);
    sendTimed(program.main(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(newDpi, newDpi),
              reinterpret_cast<LPARAM>(rect.at(0)));
    program.settle();
    // Room enough that the box's least height does not cut the list short.
    resize(program, 1000, 740);
    check(width(program, kPath) == MulDiv(200, newDpi, 96) && width(program, kName) == MulDiv(240, newDpi, 96),
          "at " + std::to_string(newDpi) + " DPI the columns are " + std::to_string(width(program, kPath)) + " and " +
              std::to_string(width(program, kName)) + " pixels wide");
    check(std::abs(listHeight(program) - MulDiv(height, newDpi, dpi)) <= 2,
          "at " + std::to_string(newDpi) + " DPI the list is " + std::to_string(listHeight(program)) + " pixels high");
}

// --- the advice on balance --------------------------------------------------------

using Mornstave::kAdvice;
constexpr int kAdviseButton = 1104;

// The list's headings, as its header shows them.
std::vector<std::u16string> listHeadings(const Program& program) {
    HWND header = reinterpret_cast<HWND>(sendTimed(GetDlgItem(program.main(), kListId), LVM_GETHEADER, 0, 0));
    constexpr std::size_t kChars = 64;
    RemoteBuffer buffer(program.process(), sizeof(HDITEMW) + kChars * sizeof(char16_t));
    std::vector<std::u16string> headings;
    const auto count = sendTimed(header, HDM_GETITEMCOUNT, 0, 0);
    for (LRESULT at = 0; at < count; ++at) {
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(buffer.at(sizeof item));
        item.cchTextMax = kChars;
        buffer.write(0, &item, sizeof item);
        sendTimed(header, HDM_GETITEMW, at, reinterpret_cast<LPARAM>(buffer.at(0)));
        char16_t text[kChars] = {};
        buffer.read(sizeof item, text, sizeof text - sizeof(char16_t));
        headings.push_back(text);
    }
    return headings;
}

// Turns the option of advice on or off, checking it was the other way.
void chooseAdvice(const Program& program, bool on) {
    HWND options = openOptions(program);
    HWND advise = GetDlgItem(options, kAdviseButton);
    check(advise != nullptr && textOf(advise) == u"釣り合いの提案を表示する", "no check box of advice");
    check(sendTimed(advise, BM_GETCHECK, 0, 0) == (on ? BST_UNCHECKED : BST_CHECKED),
          on ? "the advice was on already" : "the advice was not on");
    sendTimed(advise, BM_CLICK, 0, 0);
    program.press(options, IDOK);
    program.waitUntilClosed(options, "the options dialog");
}

// With the option on, a card's report has the 提案 lines of `mornstave
// --advise`, shown and saved, and the list of several the 提案 column last,
// cell for cell the console's `--summary --advise`; turned off again (and
// in the next run, from the settings), the list is as without it, and the
// column comes back as wide as the user left it.
void adviceOption(const Setup& setup) {
    const int dpi = setup.dpi != 0 ? static_cast<int>(setup.dpi) : 96;
    const std::u16string card = setup.path(u"table\\skill_a.vnt");
    const std::u16string folder = setup.path(u"table");
    const std::u16string dir = folderPrefix(folder);
    std::vector<std::u16string> paths;
    for (const auto& name : cardNames(dir)) paths.push_back(dir + name);
    const auto advised = [](const std::vector<std::u16string>& given, bool alone) {
        return publish(Mornstave::Composition::of(given, Mornstave::Composition::Paths::walked, alone, nullptr, true)->text);
    };
    const Composed advisedCard = advised({card}, true);
    const Composed advisedList = advised({folder}, false);
    check(count(advisedCard.shown, std::u16string(u"\r\n提案: ")) >= 1 &&
              count(advisedList.shown, std::u16string(u"\r\n提案: ")) >= 2,
          "the table folder's cards have no advice");
    {
        Program program(setup.program);
        chooseAdvice(program, true);
        processCard(program, card);
        program.waitForResult(advisedCard.shown, "the advised card");
        const std::u16string out = setup.path(u"out\\advised.txt");
        save(program, out);
        checkFileBecomes(out, advisedCard.bytes, "saving the advised card");
        exitProgram(program);
    }
    auto adviceWidth = [](const Program& program) {
        return static_cast<int>(sendTimed(GetDlgItem(program.main(), kListId), LVM_GETCOLUMNWIDTH, kAdvice, 0));
    };
    {
        Program program(setup.program);
        const auto block = program.drop({folder});
        program.waitForResult(advisedList.shown, "the advised folder in the next run");
        check(waitUntil([&] { return listShown(program); }), "no card list after a folder");
        std::vector<std::u16string> headings = Mornstave::CardRows::headings(true);
        check(listHeadings(program) == headings && headings.back() == u"提案",
              "the advised list has " + std::to_string(listHeadings(program).size()) + " columns, not 提案 last");
        check(adviceWidth(program) == MulDiv(300, dpi, 96),
              "the 提案 column is " + std::to_string(adviceWidth(program)) + " pixels wide");

        std::u16string arguments = u"--summary --advise --format=csv --output=" + quoted(setup.path(u"out\\advised.csv"));
        for (const auto& path : paths) arguments += u" " + quoted(path);
        runConsole(setup, arguments, setup.path(u"out\\advised.stdout"));
        const Rows expected = csvRows(readFile(setup.path(u"out\\advised.csv")).value_or(""));
        const Rows shown = listRows(program, kColumns + 1);
        check(!expected.empty() && shown.size() == expected.size(),
              "the list has " + std::to_string(shown.size()) + " rows, the summary " + std::to_string(expected.size()));
        // The summary's 提案 stands before エラー; the list has it last.
        const int error = Mornstave::kError;
        for (std::size_t row = 0; row < shown.size(); ++row) {
            for (int at = 0; at <= kAdvice; ++at) {
                const int from = at == kAdvice ? error : at < error ? at : at + 1;
                check(shown[row][at] == expected[row][from],
                      "row " + std::to_string(row) + ", column " + std::to_string(at) + ": " +
                          narrow(shown[row][at]) + " where the summary has " + narrow(expected[row][from]));
            }
        }

        // A width the user sets is kept through a result without the column.
        sendTimed(GetDlgItem(program.main(), kListId), LVM_SETCOLUMNWIDTH, kAdvice, MulDiv(360, dpi, 96));
        chooseAdvice(program, false);
        const auto again = program.drop({folder});
        program.waitForResult(expectedList(paths).shown, "the folder without advice");
        check(listHeadings(program) == Mornstave::CardRows::headings(), "without advice the list is not as it was");
        exitProgram(program);
    }
    // Off in the next run, from the settings; on again, with the width set.
    Program program(setup.program);
    chooseAdvice(program, true);
    const auto block = program.drop({folder});
    program.waitForResult(advisedList.shown, "the advised folder once more");
    check(adviceWidth(program) == MulDiv(360, dpi, 96),
          "the 提案 column came back " + std::to_string(adviceWidth(program)) + " pixels wide");
    chooseAdvice(program, false);  // as the cases after this one expect
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
    {"folder_named_outside_the_bmp", folderNamedOutsideTheBmp},
    {"console_on_folder_outside_cp932", consoleOnFolderOutsideCp932},
    {"save_over_existing_file", saveOverExistingFile},
    {"save_to_locked_file", saveToLockedFile},
    {"about_box_opens_and_closes", aboutBox},
    {"escape_closes_neither_window", escapeClosesNeither},
    {"system_dpi", systemDpi},
    {"resources", resources},
    {"resize_keeps_layout", resizeKeepsLayout},
    {"remembers_window_and_folders", remembersWindowAndFolders},
    {"drop_files", dropFiles},
    {"command_line", commandLine},
    {"keyboard_shortcuts", keyboardShortcuts},
    {"options_change_saved_bytes", optionsChangeSavedBytes},
    {"large_folder_in_pieces", largeFolderInPieces},
    {"table_saved_as_csv_and_html", tableSavedAsCsvAndHtml},
    {"card_list_as_console_summary", cardListAsConsoleSummary},
    {"card_list_sort_filter_select", cardListSortFilterSelect},
    {"card_list_sizes_scale_and_stay", cardListSizesScaleAndStay},
    {"advice_option", adviceOption},
};

// Shows card (or a folder's cards) in the program (started as on a first run) and writes the
// main window's screen rectangle to rectFile ("x y width height"), then
// keeps the window up until doneFile exists (or a minute has passed), for
// a screenshot taken from outside.
int pose(const std::u16string& program, const std::u16string& card, const std::u16string& rectFile,
         const std::u16string& doneFile, LONG width, LONG height) {
    try {
        forgetSettings();
        Program shown(program);
        if (width > 0 && height > 0) resize(shown, width, height);
        std::unique_ptr<RemoteBuffer> block;
        if (isFolder(card)) {
            // A folder: dropped, so that the card list shows too.
            block = shown.drop({card});
            shown.waitForResult(expectedList({card}).shown, "the folder to show");
            shown.settle();
        } else {
            processCard(shown, card);
            shown.waitForResult(expectedCard(card).shown, "the card to show");
        }
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

// Times a folder's result: from the folder dropped on the window to the
// card list's rows (and from the end of the thread that read the cards to
// them), to the first text in the box and to the whole text with the busy
// state over, and the longest time the window took to answer
// meanwhile (a probe thread sends it WM_NULL every 50 ms).  The box is
// looked at only every quarter second: asking an edit control for its
// length makes it count its text, and asking often slows what is timed.
// Prints one "name value" line per figure; asserts nothing.
struct Probe {
    HWND window;
    ULONGLONG start = 0;
    std::atomic<bool> done{false};
    std::atomic<DWORD> longestMs{0};
    std::atomic<ULONGLONG> longestAtMs{0};  // when it began, after start
};

DWORD WINAPI probeWindow(void* context) {
    auto& probe = *static_cast<Probe*>(context);
    while (!probe.done) {
        const ULONGLONG start = GetTickCount64();
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(probe.window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &ignored);
        const auto took = static_cast<DWORD>(GetTickCount64() - start);
        if (took > probe.longestMs) {
            probe.longestMs = took;
            probe.longestAtMs = start - probe.start;
        }
        Sleep(50);
    }
    return 0;
}

// The threads of a process, by id.
std::vector<DWORD> threadsOf(DWORD processId) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId) ids.push_back(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

ULONGLONG fileTimeMs(const FILETIME& time) {
    return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000;
}

ULONGLONG nowMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return fileTimeMs(now);
}

int bench(const std::u16string& program, const std::u16string& folder) {
    try {
        forgetSettings();
        const std::u16string dir = folderPrefix(folder);
        const std::vector<std::u16string> names = cardNames(dir);
        const std::u16string expected = publish(composeFolder(dir, names)).shown;

        Program shown(program);
        Probe probe;
        probe.window = shown.main();
        const DWORD processId = GetProcessId(shown.process());
        const std::vector<DWORD> before = threadsOf(processId);
        const ULONGLONG start = GetTickCount64();
        probe.start = start;
        // Dropped, as the folder command's browser would give it: the same
        // work, without the browser's own time.
        const auto block = shown.drop({folder});
        HANDLE thread = CreateThread(nullptr, 0, probeWindow, &probe, 0, nullptr);
        // The threads the drop starts (the one that reads the cards among
        // them), until the card list has rows; its end is when the last
        // card was read.
        std::vector<HANDLE> started;
        std::vector<DWORD> seen = before;
        HWND list = GetDlgItem(shown.main(), kListId);
        ULONGLONG tableAt = 0;
        while (GetTickCount64() - start < 600000) {
            for (DWORD id : threadsOf(processId)) {
                if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
                seen.push_back(id);
                if (HANDLE opened = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id)) started.push_back(opened);
            }
            DWORD_PTR rows = 0;
            SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 600000, &rows);
            if (rows > 0 && IsWindowVisible(list)) {
                tableAt = nowMs();
                break;
            }
            Sleep(5);
        }
        const ULONGLONG tableMs = GetTickCount64() - start;
        // The longest-running thread that ended: the card reader.
        ULONGLONG readEnd = 0, longest = 0;
        for (HANDLE opened : started) {
            FILETIME created{}, ended{}, kernel{}, user{};
            if (GetThreadTimes(opened, &created, &ended, &kernel, &user) && fileTimeMs(ended) != 0 &&
                fileTimeMs(ended) >= fileTimeMs(created) && fileTimeMs(ended) - fileTimeMs(created) >= longest) {
                longest = fileTimeMs(ended) - fileTimeMs(created);
                readEnd = fileTimeMs(ended);
            }
            CloseHandle(opened);
        }
        // Waits as long as the window takes; a figure, not a check.
        auto ask = [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 600000, &result);
            return result;
        };
        const std::u16string first = u"[" + dir;
        auto starts = [&] {
            std::u16string text(first.size() + 1, u'\0');
            ask(shown.resultBox(), WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
            return text.compare(0, first.size(), first) == 0;
        };
        while (!starts() && GetTickCount64() - start < 600000) Sleep(50);
        const ULONGLONG firstMs = GetTickCount64() - start;
        while ((ask(shown.resultBox(), WM_GETTEXTLENGTH, 0, 0) != expected.size() ||
                !IsWindowEnabled(GetDlgItem(shown.main(), 1003))) &&
               GetTickCount64() - start < 600000) {
            Sleep(250);
        }
        const ULONGLONG fullMs = GetTickCount64() - start;
        probe.done = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        if (readEnd != 0 && tableAt >= readEnd) {
            std::printf("cards_read_ms %llu\ntable_after_last_card_ms %llu\n", tableMs - (tableAt - readEnd),
                        tableAt - readEnd);
        } else {
            std::printf("cards_read_ms unknown (the reading thread was not seen)\n");
        }
        std::printf("table_ms %llu\n", tableMs);
        std::printf("cards %zu\ncharacters %zu\nfirst_text_ms %llu\nwhole_text_ms %llu\n"
                    "longest_unanswered_ms %lu\nlongest_unanswered_from_ms %llu\nsame_text %s\n",
                    names.size(), expected.size(), firstMs, fullMs,
                    static_cast<unsigned long>(probe.longestMs),
                    static_cast<unsigned long long>(probe.longestAtMs),
                    shown.result() == expected ? "yes" : "no");
        shown.command(1001);
        shown.waitForExit("終了(&X)");
        return 0;
    } catch (const std::exception& e) {
        std::printf("FAIL bench: %s\n", e.what());
        return 1;
    }
}

}  // namespace
}  // namespace MornstaveE2E

int wmain(int argc, wchar_t** argv) {
    using namespace MornstaveE2E;
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(utf16(argv[i]));
    if ((args.size() == 5 || args.size() == 7) && args[0] == u"pose") {
        const auto number = [&](std::size_t i) {
            return args.size() > i ? static_cast<LONG>(std::stol(narrow(args[i]))) : 0L;
        };
        return pose(args[1], args[2], args[3], args[4], number(5), number(6));
    }
    if (args.size() == 3 && args[0] == u"bench") {
        return bench(args[1], args[2]);
    }
    if (args.size() < 2) {
        std::fprintf(stderr,
                     "usage: mornstavew_e2e PROGRAM WORKDIR [--code-page=N] [--dpi=N] [CASE...]\n"
                     "       mornstavew_e2e pose PROGRAM CARD RECTFILE DONEFILE [WIDTH HEIGHT]\n"
                     "       mornstavew_e2e bench PROGRAM FOLDER\n");
        return 2;
    }
    Setup setup{args[0], args[1]};
    std::vector<std::string> selected;
    const std::u16string codePageOption = u"--code-page=";
    const std::u16string dpiOption = u"--dpi=";
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i].compare(0, codePageOption.size(), codePageOption) == 0) {
            setup.codePage = static_cast<UINT>(std::stoul(narrow(args[i].substr(codePageOption.size()))));
        } else if (args[i].compare(0, dpiOption.size(), dpiOption) == 0) {
            setup.dpi = static_cast<UINT>(std::stoul(narrow(args[i].substr(dpiOption.size()))));
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
            // Every case starts as a first run: nothing remembered.
            forgetSettings();
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
