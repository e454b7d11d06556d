// The console's options and output encodings, through the whole command line.

#include "CommandLine.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include <sys/stat.h>

#include "support/CardTesting.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

using testing::MotionRecord;
using testing::SkillCardRecord;

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("mornstave-options-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // A card file in the test's folder, under a UTF-8 name (narrow literals here are CP932).
    std::string card(const std::string& name) {
        SkillCardRecord record;
        record.name = "炎の矢";
        record.targetType = 3;
        record.motions = {MotionRecord{0, 1, 5, 0, 8}};
        const std::filesystem::path path = folder / std::filesystem::u8path(name);
        std::ofstream(path, std::ios::binary) << record.bytes().data;
        return path.u8string();
    }

    int run(const std::vector<std::string>& args, ConsoleEnvironment environment = {}) {
        out.str({});
        err.str({});
        return runCommandLine(args, out, err, environment);
    }

    std::filesystem::path folder;
    std::ostringstream out;
    std::ostringstream err;
};

// The manual's EXIT STATUS section, status by status, as plain text.
std::map<int, std::string> manPageExitStatuses() {
    std::ifstream in(MORNSTAVE_MAN_PAGE);
    std::map<int, std::string> statuses;
    bool inSection = false;
    int status = -1;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(".SH", 0) == 0) inSection = line == ".SH EXIT STATUS";
        if (!inSection || line == ".TP") continue;
        if (line.rfind(".B ", 0) == 0) {
            status = std::stoi(line.substr(3));
            continue;
        }
        if (status < 0) continue;
        line = std::regex_replace(line, std::regex(R"(\\f[BRI])"), "");
        line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
        statuses[status] += line + " ";
    }
    return statuses;
}

TEST_F(CommandLineTest, ExitStatusesAreTheOnesTheManualStates) {
    const std::map<int, std::string> manual = manPageExitStatuses();
    const std::string readable = card("skill1.vnt");
    const std::string missing = (folder / "skill2.vnt").u8string();
    // Each case: what the manual says of it, and a command line that is such a case.
    const struct {
        const char* said;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"whether or not every card could be read", {readable, missing}, 0},
        {"--help", {"--help"}, 0},
        {"--version", {"--version"}, 0},
        {"No card was given", {}, 1},
        {"-o file cannot be written", {"-o", (folder / "no" / "such" / "x.txt").u8string(), readable}, 1},
        {"An unknown option", {"--bogus", readable}, 2},
        {"a bad value", {"--sort=size", readable}, 2},
        {"file is one of the cards being read", {"-o", readable, readable}, 2},
    };
    std::set<int> shown;
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.args), c.status) << c.said;
        ASSERT_TRUE(manual.count(c.status)) << "the manual has no status " << c.status;
        EXPECT_NE(manual.at(c.status).find(c.said), std::string::npos)
            << "status " << c.status << " does not say: " << c.said;
        shown.insert(c.status);
    }
    for (const auto& [status, text] : manual) EXPECT_TRUE(shown.count(status)) << status << ": " << text;
}

TEST_F(CommandLineTest, OptionsBehaveLikeAUnixTool) {
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(out.str().rfind("Usage: mornstave [OPTION]... [--] CARD...\n", 0), 0u);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.str(), "Mornstave version 0.20\n");

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--bogus", "x.vnt"},
                                                 {"--format=xml", "x.vnt"}, {"--encoding", "latin1"}}) {
        EXPECT_EQ(run(bad), 2) << bad[0];
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str().rfind("mornstave: ", 0), 0u) << err.str();
        EXPECT_NE(err.str().find("\nUsage: mornstave"), std::string::npos);
    }

    EXPECT_EQ(run({}), 1);  // no card: the banner, as always
    EXPECT_EQ(err.str().rfind("Mornstave version 0.20\n\nUsage: mornstave.exe", 0), 0u);

    // A card whose name starts with '-' is a card after "--" or as ./-name.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    card("-dash.vnt");
    EXPECT_EQ(run({"--", "-dash.vnt"}), 0);
    EXPECT_EQ(out.str().rfind("[-dash.vnt]\n", 0), 0u);
    EXPECT_EQ(run({"./-dash.vnt"}), 0);
    EXPECT_EQ(out.str().rfind("[./-dash.vnt]\n", 0), 0u);
    std::filesystem::current_path(before);
}

TEST_F(CommandLineTest, Utf8OutputIsTheCp932OutputConvertedWithPathsAsGiven) {
    const std::string path = card(u8"シナリオ.vnt");
    const std::string missing = (folder / std::filesystem::u8path(u8"無い.vnt")).u8string();
    ConsoleEnvironment utf8Locale;
    utf8Locale.pathsAreUtf8 = utf8Locale.localeIsUtf8 = true;

    run({"--encoding=cp932", path, missing}, utf8Locale);
    const std::string cp932Out = out.str();
    const std::string cp932Err = err.str();
    run({path, missing}, utf8Locale);
    EXPECT_EQ(out.str(), cp932ToUtf8(cp932Out));
    EXPECT_EQ(err.str(), cp932ToUtf8(cp932Err));
    EXPECT_EQ(out.str().rfind("[" + path + "]\n" u8"名称: 炎の矢\n", 0), 0u) << "the source is UTF-8, as the locale";
    EXPECT_EQ(err.str(), missing + u8": 開けません\n");

    // Under the C locale the bytes are today's: the path exactly as given, texts CP932.
    run({path});
    EXPECT_EQ(out.str().rfind("[" + path + "]\n" + "名称: 炎の矢\n", 0), 0u);
}

TEST_F(CommandLineTest, Cp932OutputConvertsPathsWhereItCan) {
    const std::string japanese = card(u8"表示.vnt");
    const std::string korean = card(u8"한국어.vnt");
    ConsoleEnvironment linuxUtf8;
    linuxUtf8.pathsAreUtf8 = true;
    run({"--encoding=cp932", japanese, korean}, linuxUtf8);
    EXPECT_NE(out.str().find("[" + utf8ToCp932(japanese) + "]\n"), std::string::npos);
    EXPECT_NE(out.str().find("[" + korean + "]\n"), std::string::npos) << "written as given";

    ConsoleEnvironment windows = linuxUtf8;
    windows.replaceUnmappable = true;
    run({korean}, windows);
    EXPECT_EQ(out.str().rfind("[" + utf8ToCp932(korean) + "]\n", 0), 0u);
    EXPECT_NE(utf8ToCp932(korean).find("???.vnt"), std::string::npos);
}

// What a user sees of a broken card, a file name with control characters, the JSON
// document's end and a rewritten -o file: each was once lost by a one-line slip.
TEST_F(CommandLineTest, OutputsKeepWhatTheUserRelies) {
    const std::string good = card("skill1.vnt");
    const std::filesystem::path brokenPath = folder / "skill2.vnt";
    std::ofstream(brokenPath, std::ios::binary) << std::string("\x05\x01\x00\x00\x00", 5);
    const std::string broken = brokenPath.u8string();
    const std::string brokenLine = broken + ": I/O例外\n";  // the file ends too soon

    // Every output names the broken card on standard error, the listing too.
    for (const std::vector<std::string>& args : {std::vector<std::string>{broken}, {"--explain", broken},
                                                 {"--format=json", broken}, {"--summary", broken}}) {
        EXPECT_EQ(run(args), 0) << args[0];
        EXPECT_EQ(err.str(), brokenLine) << args[0];
    }
    EXPECT_NE(run({"--explain", broken}), 1);
    EXPECT_NE(out.str().find("error at "), std::string::npos) << out.str();

    // The JSON document is a text file: it ends with a line end.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--format=json", good},
                                                 {"--summary", "--format=json", good}}) {
        run(args);
        ASSERT_FALSE(out.str().empty());
        EXPECT_EQ(out.str().back(), '\n') << args[1];
    }

    // Error lines are made visible by whether standard error is a terminal, whatever
    // standard output is: a report sent to a file leaves the error lines on the terminal.
    const std::string hostile = (folder / "bad\x1b]0;x\x07.vnt").u8string();
    ConsoleEnvironment errorsOnTerminal;
    errorsOnTerminal.stderrIsTerminal = true;
    run({hostile}, errorsOnTerminal);
    EXPECT_EQ(err.str().find('\x1b'), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("bad^[]0;x^G.vnt: "), std::string::npos) << err.str();
    ConsoleEnvironment reportOnTerminal;
    reportOnTerminal.stdoutIsTerminal = true;
    run({hostile}, reportOnTerminal);
    EXPECT_NE(err.str().find("bad\x1b]0;x\x07.vnt: "), std::string::npos) << "a pipe gets the bytes";

    // An output that could take only part of the report is known to be cut short.
    struct ShortBuffer : std::streambuf {
        std::streamsize room = 100;
        std::streamsize xsputn(const char*, std::streamsize count) override {
            const std::streamsize taken = std::min(count, room);
            room -= taken;
            return taken;
        }
        int_type overflow(int_type c) override { return room-- > 0 ? c : traits_type::eof(); }
    } shortBuffer;
    std::ostream shortOut(&shortBuffer);
    EXPECT_EQ(runCommandLine({good}, shortOut, err, {}), 0);
    EXPECT_TRUE(shortOut.bad());

    // An -o file written again keeps who may read it.
    const std::filesystem::path output = folder / "private.txt";
    std::ofstream(output) << "old";
    ASSERT_EQ(::chmod(output.c_str(), 0600), 0);
    EXPECT_EQ(run({"-o", output.u8string(), good}), 0);
    struct stat status {};
    ASSERT_EQ(::stat(output.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

}  // namespace
}  // namespace Vantorn
