// The run loop and the fan-out: one pass gives what separate runs give, each sink its
// own output, the failures where each output puts them.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "CommandLine.hpp"
#include "engine/CardRun.hpp"
#include "engine/Sinks.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

namespace fs = std::filesystem;

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("mornstave-run-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder / "cards");
        std::ofstream(folder / "cards" / "skill2.vnt", std::ios::binary) << testing::goodCard("二");
        std::ofstream(folder / "cards" / "SKILL1.VNT", std::ios::binary) << "broken";
        std::ofstream(folder / "cards" / "skill3.vnt", std::ios::binary) << testing::goodCard("三");
        std::ofstream(folder / "cards" / "other.vnt", std::ios::binary) << testing::goodCard("外");
        std::ofstream(folder / "skill9.vnt", std::ios::binary) << testing::goodCard("九");
        paths = {(folder / "cards").string(), (folder / "missing.vnt").string(), (folder / "skill9.vnt").string()};
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string console(std::vector<std::string> args, std::string* err = nullptr) {
        args.insert(args.end(), paths.begin(), paths.end());
        std::ostringstream out, errors;
        runCommandLine(args, out, errors, ConsoleEnvironment{});
        if (err != nullptr) *err = errors.str();
        return out.str();
    }

    fs::path folder;
    std::vector<std::string> paths;
};

TEST_F(RunTest, OnePassFeedsEverySinkAsItsOwnRunWould) {
    std::vector<std::string> errors;
    const auto errorLine = [&](const std::string& path, const std::string& message) {
        errors.push_back(path + ": " + message);
    };
    std::ostringstream reportText, blocksText, summaryText, advisedText;
    SinkOutput report(reportText, errorLine), blocks(blocksText, errorLine), summary(summaryText, errorLine);
    // Its error lines are the report's; only its advice is looked at.
    SinkOutput advised(advisedText, [](const std::string&, const std::string&) {});
    Summary rows;
    std::vector<std::unique_ptr<CardSink>> sinks;
    sinks.push_back(makeReportSink(report, TextForm{}));
    sinks.push_back(makeReportSink(blocks, TextForm{}, ReportFailures::inBlock));
    sinks.push_back(makeRowsSink(rows));
    sinks.push_back(makeSummarySink(summary, OutputFormat::text, SummaryOrder::difference, TextForm{}));
    sinks.push_back(makeReportSink(advised, TextForm{}, ReportFailures::errorLine, true));
    const auto fanOut = makeFanOutSink(std::move(sinks));
    RunOptions options;
    options.workers = 2;
    options.advise = true;  // the results hold advice, which only the last sink shows
    int done = 0;
    options.cardDone = [&] { ++done; };
    ASSERT_TRUE(runCards(paths, *fanOut, options));
    report.drain();
    blocks.drain();
    summary.drain();
    advised.drain();

    std::string consoleErrors;
    EXPECT_EQ(reportText.str(), console({}, &consoleErrors));
    EXPECT_EQ(summaryText.str(), console({"--summary"}));
    // Each sink's copy of a result keeps its advice.
    EXPECT_NE(advisedText.str().find("\n提案: "), std::string::npos);
    EXPECT_EQ(advisedText.str(), console({"--advise"}));
    // Every sink that writes error lines wrote its own, in the order read.
    std::string expectedErrors;
    for (std::size_t i = 0; i < errors.size(); i += 2) {
        EXPECT_EQ(errors[i], errors[i + 1]);
        expectedErrors += errors[i] + '\n';
    }
    EXPECT_EQ(errors.size(), 4u);
    EXPECT_EQ(expectedErrors, consoleErrors);
    // A failure's block holds its message, in the blocks of the cards around it.
    const std::string cards = (folder / "cards").string();
    const std::string nine = (folder / "skill9.vnt").string();
    EXPECT_EQ(blocksText.str().substr(0, blocksText.str().find("\n\n") + 2),
              "[" + (fs::path(cards) / "SKILL1.VNT").string() + "]\n技能カードではありません\n\n");
    EXPECT_NE(blocksText.str().find("\n\n[" + (folder / "missing.vnt").string() + "]\n開けません\n\n[" + nine + "]\n"),
              std::string::npos);
    // The rows in the order read, each with its entry.
    ASSERT_EQ(rows.rows().size(), 3u);
    ASSERT_EQ(rows.failures().size(), 2u);
    EXPECT_EQ(rows.failures()[0].entry, 0u);
    EXPECT_EQ(rows.rows()[0].entry, 1u);
    EXPECT_EQ(rows.failures()[1].entry, 3u);
    EXPECT_EQ(rows.rows()[2].path, nine);
    EXPECT_EQ(done, 5);
}

// Arguments are read before anyone looks at what they are. Folders met among many cards
// (on worker threads, and one near the end of a waiting batch, so that what follows it
// fills the next) must still give their cards in their place, numbered in order.
TEST_F(RunTest, FolderArgumentsAmongManyCardsKeepTheirPlace) {
    class Recorder final : public CardSink {
    public:
        void card(const CardResult& result) override { taken.emplace_back(result.entry, result.path); }
        void failure(const CardResult& result) override { taken.emplace_back(result.entry, result.path); }
        std::vector<std::pair<std::size_t, std::string>> taken;
    };
    const std::string card = testing::goodCard("多");
    std::vector<std::string> arguments, expected;
    const auto many = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const std::string path = (folder / ("skill" + std::to_string(arguments.size()) + ".vnt")).string();
            std::ofstream(path, std::ios::binary) << card;
            arguments.push_back(path);
            expected.push_back(path);
        }
    };
    const auto cardsFolder = [&] {
        arguments.push_back((folder / "cards").string());
        for (const char* name : {"SKILL1.VNT", "skill2.vnt", "skill3.vnt"}) expected.push_back((folder / "cards" / name).string());
    };
    many(100);
    cardsFolder();
    many(3990);
    cardsFolder();
    many(20);
    RunOptions options;
    options.workers = 2;
    Recorder recorder;
    ASSERT_TRUE(runCards(arguments, recorder, options));
    ASSERT_EQ(recorder.taken.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(recorder.taken[i], std::make_pair(i, expected[i])) << i;
    }
}

// Files the caller holds are taken by the path the walk gives, before the disk, in
// every output: the run is the one of the same bytes on disk. A held path is a file.
TEST_F(RunTest, HeldFilesAreTakenByTheirPathAndTheRestRead) {
    const std::string card2 = (folder / "cards" / "skill2.vnt").string();
    const std::string missing = (folder / "missing.vnt").string();
    const std::string held2 = testing::goodCard("別"), heldMissing = "held, broken";
    std::atomic<int> asked{0};
    ConsoleEnvironment environment;
    environment.heldFiles = [&](const std::string& path) -> std::optional<std::string> {
        ++asked;
        if (path == card2) return held2;
        if (path == missing) return heldMissing;
        return std::nullopt;
    };
    const auto run = [&](std::vector<std::string> args, const ConsoleEnvironment& with) {
        args.insert(args.end(), paths.begin(), paths.end());
        std::ostringstream out, err;
        const int status = runCommandLine(args, out, err, with);
        return std::to_string(status) + '\n' + out.str() + err.str();
    };
    std::vector<std::string> heldRuns;
    for (const auto& args : {std::vector<std::string>{}, {"--format=json"}, {"--summary"}, {"--explain"}}) {
        heldRuns.push_back(run(args, environment));
    }
    EXPECT_EQ(asked, 4 * 6);  // the folder argument, its three cards, the other two
    std::ofstream(card2, std::ios::binary) << held2;
    std::ofstream(missing, std::ios::binary) << heldMissing;
    std::size_t i = 0;
    for (const auto& args : {std::vector<std::string>{}, {"--format=json"}, {"--summary"}, {"--explain"}}) {
        EXPECT_EQ(heldRuns[i++], run(args, ConsoleEnvironment{})) << (args.empty() ? "text" : args[0]);
    }
    EXPECT_NE(heldRuns[0].find("別"), std::string::npos);
}

TEST_F(RunTest, AStoppedRunNeverFinishesAndAMixedFanOutIsRefused) {
    std::ostringstream text;
    SinkOutput output(text, [](const std::string&, const std::string&) { ADD_FAILURE() << "an error line"; });
    const auto sink = makeSummarySink(output, OutputFormat::csv, SummaryOrder::path, TextForm{});
    std::atomic<bool> stop{true};
    RunOptions options;
    options.stop = &stop;
    options.walked = [] { ADD_FAILURE() << "walked"; };
    EXPECT_FALSE(runCards(paths, *sink, options));
    output.drain();
    EXPECT_EQ(text.str(), "");

    std::vector<std::unique_ptr<CardSink>> mixed;
    mixed.push_back(makeReportSink(output, TextForm{}));
    mixed.push_back(makeListingSink(output, TextForm{}));
    EXPECT_THROW(makeFanOutSink(std::move(mixed)), std::invalid_argument);
    EXPECT_THROW(makeFanOutSink({}), std::invalid_argument);
}

}  // namespace
}  // namespace Vantorn
