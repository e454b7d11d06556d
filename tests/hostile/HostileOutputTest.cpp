// Hostile texts and careless commands through the writers and the output file: a
// bounded table, CSV cells no spreadsheet takes for formulas, control characters made
// visible on a terminal and in the table wherever it goes, kept elsewhere, and an
// output file that never replaces a card read and is written whole or not at all.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CommandLine.hpp"
#include "files/ReplacingFile.hpp"
#include "summary/SummaryWriters.hpp"
#include "summary/TextFit.hpp"
#include "support/CardTesting.hpp"
#include "text/PlainTerminal.hpp"

namespace Vantorn {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

SummaryRow row(std::size_t entry, std::string name, std::string target = "\x93\x47\x95\xfb\x92\x50\x91\xcc") {
    SummaryRow result;
    result.entry = entry;
    result.path = "skill" + std::to_string(entry) + ".vnt";
    result.name = std::move(name);
    result.level = 3;
    result.estimate = 1.0;  // difference -2.00: a number beginning with '-'
    result.target = std::move(target);
    result.effects = "-2+3";
    return result;
}

TEST(HostileOutputTest, TheTableIsBoundedAndCutAtACharacter) {
    // Cut at the width, never inside a double-byte character, "…" in the output's bytes.
    EXPECT_EQ(fitWidth("abcdef", 6, TextEncoding::cp932), "abcdef");
    EXPECT_EQ(fitWidth("abcdefg", 6, TextEncoding::cp932), "abcd\x81\x63");
    EXPECT_EQ(fitWidth("a\x82\xa0\x82\xa0", 4, TextEncoding::cp932), "a\x81\x63");  // 3 + 2 > 4
    EXPECT_EQ(fitWidth("\xb1\xb2\xb3\xb4\xb5", 4, TextEncoding::cp932), "\xb1\xb2\x81\x63");  // half-width kana: 1
    EXPECT_EQ(fitWidth("\xe3\x81\x82\xe3\x81\x82x", 4, TextEncoding::utf8), "\xe3\x81\x82\xe2\x80\xa6");
    // A control character counts as wide as it is shown, and is never cut in half.
    EXPECT_EQ(fitWidth("\x1b\t\x7f", 6, TextEncoding::cp932), "^[^I^?");
    EXPECT_EQ(fitWidth("\x1b\t\x7f", 5, TextEncoding::cp932), "^[\x81\x63");
    EXPECT_EQ(fitWidth("a\xc2\x9b", 4, TextEncoding::utf8), "a\xe2\x80\xa6");  // "M-^[" is 4 wide

    Summary summary;
    for (std::size_t i = 0; i < 100; ++i) summary.add(row(i, "\x8e\x44"));  // 札
    std::string huge;
    for (int i = 0; i < 30000; ++i) huge += "\x82\xa0";
    summary.add(row(100, huge, huge));
    summary.finish(SummaryOrder::path);
    for (TextEncoding encoding : {TextEncoding::cp932, TextEncoding::utf8}) {
        std::ostringstream out;
        writeSummaryText(out, summary, TextForm{encoding});
        std::istringstream lines(out.str());
        std::size_t widest = 0;
        for (std::string line; std::getline(lines, line);) widest = std::max(widest, displayWidth(line, encoding));
        EXPECT_LE(widest, 300u);
        EXPECT_LT(out.str().size(), 40000u);  // it was 100 rows of 60,000 columns
    }
}

TEST(HostileOutputTest, CsvTextsAreNoFormulasButNumbersStayPlain) {
    Summary summary;
    const std::vector<std::string> names = {"=HYPERLINK(\"http://x\",\"y\")", "+SUM(1,2)", "@SUM(A1)", "\tx", "\rx", "a=b"};
    for (std::size_t i = 0; i < names.size(); ++i) summary.add(row(i, names[i]));
    summary.finish(SummaryOrder::path);
    std::ostringstream guarded, raw;
    writeSummaryCsv(guarded, summary, TextForm{});
    writeSummaryCsv(raw, summary, TextForm{}, CsvTexts::raw);
    EXPECT_NE(guarded.str().find("skill0.vnt,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",3,1.00,-2.00,"), std::string::npos);
    for (const char* cell : {",\"'+SUM(1,2)\",", ",'@SUM(A1),", ",'\tx,", ",\"'\rx\",", ",a=b,", ",'-2+3,,\r\n"}) {
        EXPECT_NE(guarded.str().find(cell), std::string::npos) << cell;
    }
    EXPECT_EQ(raw.str().find(",'"), std::string::npos);
    EXPECT_NE(raw.str().find(",@SUM(A1),3,1.00,-2.00,"), std::string::npos);
    // The option's name.
    std::ostringstream out, err;
    EXPECT_EQ(readCommandLine({"--raw-csv", "x"}, out, err, {}).settings.csvTexts, CsvTexts::raw);
    EXPECT_EQ(readCommandLine({"x"}, out, err, {}).settings.csvTexts, CsvTexts::guarded);
}

std::string plain(const std::vector<std::string>& writes, bool utf8) {
    std::ostringstream out;
    {
        PlainTerminalBuffer buffer(*out.rdbuf(), utf8);
        for (const std::string& text : writes) buffer.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return out.str();
}

TEST(HostileOutputTest, ATerminalSeesControlCharactersAsSymbols) {
    EXPECT_EQ(plain({"\x1b]0;x\x07\x1b[2J\t\r\n\x7f"}, true), "^[]0;x^G^[[2J\t\r\n^?");
    // UTF-8: C1 as M-^x, also when a write splits it; other characters untouched.
    EXPECT_EQ(plain({"a\xc2", "\x9b" "31m\xc2\xa9\xe3\x81\x82"}, true), "aM-^[31m\xc2\xa9\xe3\x81\x82");
    // CP932: double-byte characters (trail bytes 0x40-0xFC) untouched, a lone 0x80 shown,
    // a lead byte before a control does not hide it.
    EXPECT_EQ(plain({"\x83\x5c\x82", "\x9b\x80\x81\x1b"}, false), "\x83\x5c\x82\x9bM-^@\x81^[");
}

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("mornstave-output-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder / "cards");
        testing::SkillCardRecord record;
        record.name = "\x1b]0;owned\x07";
        record.motions = {testing::MotionRecord{0, 1, 1, 0, 10}};
        card = record.bytes().data;
        for (const char* name : {"skill1.vnt", "skill2.vnt"}) std::ofstream(folder / "cards" / name, std::ios::binary) << card;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::pair<int, std::string> run(std::vector<std::string> args, ConsoleEnvironment environment = {}) {
        std::ostringstream out, err;
        const int status = runCommandLine(args, out, err, environment);
        lastOut = out.str();
        return {status, err.str()};
    }
    std::size_t filesIn(const fs::path& dir) {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path folder;
    std::string card;
    std::string lastOut;
};

TEST_F(OutputFileTest, ACardReadIsNeverTheOutput) {
    const std::string cards = (folder / "cards").string();
    fs::create_symlink(folder / "cards" / "skill2.vnt", folder / "link.vnt");
    const std::vector<std::vector<std::string>> slips = {
        {"--summary", "-o", cards + "/skill1.vnt", cards},                      // found in the folder
        {"--format=json", "-o", cards + "/skill2.vnt", cards + "/skill1.vnt", cards + "/skill2.vnt"},
        {"-o", cards + "/../cards/./skill1.vnt", cards + "/skill1.vnt"},        // another path
        {"-o", (folder / "link.vnt").string(), cards + "/skill2.vnt"},           // a link to it
    };
    for (const auto& args : slips) {
        const auto [status, err] = run(args);
        EXPECT_EQ(status, 2);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(": \x93\xc7\x82\xdd\x8d\x9e\x82\xde\x83\x4a\x81\x5b\x83\x68\x82\xc5\x82\xb7"), std::string::npos) << err;
    }
    EXPECT_EQ(readAll(folder / "cards" / "skill1.vnt"), card);
    EXPECT_EQ(readAll(folder / "cards" / "skill2.vnt"), card);
    EXPECT_EQ(filesIn(folder / "cards"), 2u);
    // An output beside the cards is written whole, the old file replaced, no temporary left.
    std::ofstream(folder / "cards" / "report.txt") << "old";
    EXPECT_EQ(run({"-o", cards + "/report.txt", cards}).first, 0);
    EXPECT_NE(readAll(folder / "cards" / "report.txt").find("level: "), std::string::npos);
    EXPECT_EQ(filesIn(folder / "cards"), 3u);
}

// In a child process, so that a size limit or a signal ends only the child.
template <class Action>
int inChild(Action action) {
    const pid_t child = fork();
    if (child == 0) _exit(action());
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

TEST_F(OutputFileTest, AFailedOrStoppedRunLeavesTheOldFile) {
    const fs::path target = folder / "out.txt";
    std::ofstream(target) << "old";
    // A write that fails (a file size limit, as a full disk): status 1, the old file kept.
    const int failed = inChild([&] {
        const rlimit small{512, 512};
        setrlimit(RLIMIT_FSIZE, &small);
        std::ostringstream out, err;
        return runCommandLine({"-o", target.string(), (folder / "cards").string()}, out, err, {});
    });
    EXPECT_TRUE(WIFEXITED(failed) && WEXITSTATUS(failed) == 1) << failed;
    // Stopped half-way: the temporary file goes with the program.
    const int stopped = inChild([&] {
        ReplacingFile file(target);
        file.removeOnInterrupt();
        file.stream() << "half" << std::flush;
        std::raise(SIGINT);
        return 0;
    });
    EXPECT_TRUE(WIFSIGNALED(stopped) && WTERMSIG(stopped) == SIGINT) << stopped;
    EXPECT_EQ(readAll(target), "old");
    EXPECT_EQ(filesIn(folder), 2u);  // cards/ and out.txt
}

TEST_F(OutputFileTest, ControlCharactersReachATerminalVisibleOnly) {
    const std::string path = (folder / "cards" / "skill1.vnt").string();
    ConsoleEnvironment terminal;
    terminal.stdoutIsTerminal = terminal.stderrIsTerminal = true;
    // The report writes the name as it is: a file or pipe gets today's bytes.
    run({path});
    EXPECT_NE(lastOut.find("\x1b]0;owned\x07"), std::string::npos);
    run({path}, terminal);
    EXPECT_NE(lastOut.find("^[]0;owned^G"), std::string::npos);
    for (const auto& args : std::vector<std::vector<std::string>>{{path}, {"--summary", path}, {"--explain", path}}) {
        run(args);
        const std::string piped = lastOut;
        run(args, terminal);
        EXPECT_EQ(lastOut, plain({piped}, false));
        EXPECT_EQ(lastOut.find('\x1b'), std::string::npos);
    }
    const auto [status, err] = run({(folder / "bad\x1b[2J.vnt").string()}, terminal);
    EXPECT_NE(err.find("bad^[[2J.vnt: "), std::string::npos) << err;
}

TEST_F(OutputFileTest, TheTableShowsEveryControlCharacterAlignedAndTheRestKeepThem) {
    // Two cards alike but for the name: ESC, BEL, TAB, CR, DEL and the C1 byte 0x80.
    const std::string name = "a\x1b[2J\x07\t\r\x7f\x80z";
    fs::create_directories(folder / "rule");
    for (const auto& [file, text] : {std::pair{"skill1.vnt", name}, std::pair{"skill2.vnt", std::string("x")}}) {
        testing::SkillCardRecord record;
        record.name = text;
        record.motions = {testing::MotionRecord{0, 1, 1, 0, 10}};
        std::ofstream(folder / "rule" / file, std::ios::binary) << record.bytes().data;
    }
    const std::string cards = (folder / "rule").string();
    ConsoleEnvironment terminal;  // a CP932 terminal, then a UTF-8 one
    terminal.stdoutIsTerminal = true;
    const auto output = [&](std::vector<std::string> args, ConsoleEnvironment environment = {}) {
        args.push_back(cards);
        run(args, environment);
        return lastOut;
    };
    // The table, in a file and on a terminal alike: caret notation, columns kept.
    const std::string shown = "a^[[2J^G^I^M^?M-^@z";
    for (const auto& [option, encoding] : {std::pair{"--encoding=cp932", TextEncoding::cp932},
                                           std::pair{"--encoding=utf-8", TextEncoding::utf8}}) {
        const std::string table = output({"--summary", "--sort=path", option});
        terminal.localeIsUtf8 = encoding == TextEncoding::utf8;
        EXPECT_EQ(output({"--summary", "--sort=path", option}, terminal), table);
        EXPECT_EQ(std::count_if(table.begin(), table.end(), [](char c) { return c != '\n' && c >= 0 && c < 0x20; }), 0);
        std::istringstream lines(table);
        std::string header, first, second;
        std::getline(lines, header);
        std::getline(lines, first);
        std::getline(lines, second);
        // The paths are as long: both names start at one place, and the rest of the
        // rows, after the name's column, is the same.
        const std::size_t at = first.find(shown);
        ASSERT_NE(at, std::string::npos) << table;
        const std::size_t after = at + shown.size();
        EXPECT_EQ(second.substr(at, after - at), "x" + std::string(shown.size() - 1, ' ')) << table;
        EXPECT_EQ(first.substr(after), second.substr(after));
        EXPECT_EQ(displayWidth(first, encoding), displayWidth(second, encoding));
    }
    // The report, CSV, JSON and the HTML page keep the bytes to a file or a pipe.
    terminal.localeIsUtf8 = false;
    EXPECT_NE(output({"--encoding=cp932"}).find("\x96\xbc\x8f\xcc: " + name + "\n"), std::string::npos);
    EXPECT_NE(output({"--encoding=cp932"}, terminal).find(": a^[[2J^G\t\r^?M-^@z\n"), std::string::npos);
    EXPECT_NE(output({"--summary", "--format=csv"}).find(",\"a\x1b[2J\x07\t\r\x7f\xc2\x80z\","), std::string::npos);
    const std::string escaped = "\"a\\u001b[2J\\u0007\\t\\r\x7f\xc2\x80z\"";
    EXPECT_NE(output({"--format=json"}).find("\"name\":" + escaped), std::string::npos);
    const std::string page = output({"--summary", "--format=html"});
    EXPECT_NE(page.find(escaped), std::string::npos);
    EXPECT_NE(page.find("\xe5\x90\x8d\xe7\xa7\xb0: a\x1b[2J\x07\t\r\x7f\xc2\x80z\n"), std::string::npos);  // its blocks
}

}  // namespace
}  // namespace Vantorn
