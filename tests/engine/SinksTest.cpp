// The engine's sinks through the console: what each output shows of a failure, the
// order of the two streams, the summary's sort orders, columns and quoting.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>

#include "CommandLine.hpp"
#include "engine/CardResult.hpp"
#include "engine/Formats.hpp"
#include "estimate/Estimate.hpp"
#include "events/ContentTypes.hpp"
#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"
#include "text/Cp932.hpp"
#include "summary/SummaryWriters.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

namespace fs = std::filesystem;
using testing::ContentRecord;
using testing::EventRecord;
using testing::goodCard;
using testing::MotionRecord;
using testing::SkillCardRecord;

class SinksTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("mornstave-sinks-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string run(std::vector<std::string> args) {
        std::ostringstream out, err;
        runCommandLine(args, out, err, ConsoleEnvironment{});
        return out.str();
    }

    fs::path folder;
};

// A content of a kind that does not exist: offset 96, "event 1 > content 1 > type".
std::string brokenCard() {
    SkillCardRecord record;
    record.events = {{ContentRecord{255}}};
    return record.bytes().data;
}

// Counts the writes that reach it: it has no buffer of its own.
class WriteCounter : public std::streambuf {
public:
    int writes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        ++writes;
        return count;
    }
    int_type overflow(int_type c) override {
        ++writes;
        return traits_type::not_eof(c);
    }
};

TEST_F(SinksTest, AFailureShowsItsPlaceWhereverTheSummaryListsIt) {
    const std::string broken = write("skill1.vnt", brokenCard());
    const std::string place = "0x00000060, event 1 > content 1 > type (found 255, allowed 0..65)";

    const nlohmann::json document = nlohmann::json::parse(run({"--summary", "--format=json", broken}));
    const nlohmann::json expected = {{"offset", 96}, {"path", "event 1 > content 1 > type"},
                                     {"found", "255"}, {"allowed", "0..65"}};
    EXPECT_EQ(document["cards"][0]["location"], expected);
    EXPECT_EQ(document["summary"]["failures"][0]["location"], expected);

    EXPECT_NE(run({"--summary", broken}).find("  " + broken + ": ファイルが壊れています (" + place + ")\n"),
              std::string::npos);
    EXPECT_NE(run({"--format=csv", "--encoding=cp932", broken})
                  .find("\r\n" + broken + ",,,,,,,ファイルが壊れています,\"" + place + "\"\r\n"),
              std::string::npos);
    EXPECT_NE(run({"--format=html", broken}).find(R"("location":{"offset":96,)"), std::string::npos);
}

TEST_F(SinksTest, OutputGoesInLargeBlocksAndEarlierCardsBeforeAnErrorLine) {
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) paths.push_back(write("skill" + std::to_string(i) + ".vnt", goodCard("札")));
    const std::string missing = (folder / "skill_missing.vnt").string();
    paths.insert(paths.begin() + 20, missing);

    WriteCounter counter;
    std::ostream out(&counter);
    std::ostringstream err;
    runCommandLine(paths, out, err, ConsoleEnvironment{});
    EXPECT_EQ(counter.writes, 2) << "the cards before the error line, then the rest";

    // One stream for both: the error line sits between the cards around it.
    std::stringstream both;
    runCommandLine(paths, both, both, ConsoleEnvironment{});
    const std::string text = both.str();
    const std::string line = missing + ": 開けません\n";
    const std::size_t error = text.find(line);
    ASSERT_NE(error, std::string::npos);
    EXPECT_LT(text.find("[" + paths[19] + "]"), error);
    EXPECT_GT(text.find("[" + paths[21] + "]"), error);
    EXPECT_EQ(text.substr(0, error) + text.substr(error + line.size()), run(paths));
}

// A card over a megabyte is written straight into the output, never held whole, and
// keeps its file instead of its events, which are read again a tree at a time: each
// output must still hold the very bytes its writers make of the card read whole, and a
// fault anywhere in the events fail it as reading it whole does.
TEST_F(SinksTest, ALargeCardWrittenAsItIsMadeGivesTheSameBytes) {
    SkillCardRecord record;
    EventRecord roots;
    for (int i = 0; i < 12000; ++i) {
        roots.push_back(ContentRecord::make<Content_Message>(
            [i](auto& c) { c.text = "<文> & \"" + std::to_string(i) + "\"\t" + std::string(80, 'x'); }));
    }
    const ContentRecord branch(ContentKind::Start, {}, {ContentRecord(ContentKind::Start), roots.front()});
    record.events = {roots, {branch, branch}, {}};
    const std::string bytes = record.bytes().data;
    ASSERT_GT(bytes.size(), CardResult::streamedFileSize);
    const std::string path = write("skill1.vnt", bytes);
    const CardResult analysed = analyse(0, path, path);
    ASSERT_FALSE(analysed.failed());
    EXPECT_TRUE(analysed.card->eventPart.readEachWalk());
    EXPECT_TRUE(analysed.card->eventPart.events.empty());

    SkillCardRecord late = record;  // its fault past the first megabyte
    late.events.push_back({ContentRecord{255}});
    const std::string lateBytes = late.bytes().data;
    const CardResult failed = analyse(0, path, write("skill2.vnt", lateBytes));
    ASSERT_TRUE(failed.failed());
    try {
        readSkillCard(lateBytes);
        ADD_FAILURE() << "read whole";
    } catch (const std::exception& error) {
        EXPECT_EQ(failed.failure->message, failureOf(error).message);
        ASSERT_TRUE(failed.failure->location && failureOf(error).location);
        EXPECT_EQ(failed.failure->location->offset, failureOf(error).location->offset);
        EXPECT_EQ(failed.failure->location->path, "event 4 > content 1 > type");
    }

    SkillCard card;
    testing::readCard(card, bytes);
    const LevelEstimate estimate = estimateLevel(card);
    std::ostringstream body;
    writeDescription(body, card);
    writeEstimate(body, estimate);

    EXPECT_EQ(run({path}), '[' + path + "]\n" + body.str() + '\n');

    std::ostringstream entry;
    {
        JsonWriter json(entry);
        writeCardJson(json, path, card, estimate);
    }
    EXPECT_NE(run({"--format=json", path}).find('\n' + entry.str() + '\n'), std::string::npos);

    std::ostringstream page;
    SummaryPage blocks(page);
    const std::size_t start = page.str().size();
    blocks.block('[' + path + "]\n" + cp932ToUtf8(body.str()));
    EXPECT_NE(run({"--summary", "--format=html", path}).find(page.str().substr(start)), std::string::npos);
}

TEST_F(SinksTest, FormatsComeFromOneTable) {
    EXPECT_EQ(formatOfFile("out/Report.HTM"), OutputFormat::html);
    EXPECT_EQ(formatOfFile("a.json/out"), OutputFormat::text);
    EXPECT_EQ(formatOfFile("table.csv"), OutputFormat::csv);
    EXPECT_TRUE(formatInfo(OutputFormat::csv).impliesSummary);
    EXPECT_FALSE(formatInfo(OutputFormat::json).impliesSummary);
    EXPECT_EQ(formatEncoding(OutputFormat::csv, std::nullopt, false), TextEncoding::utf8);
    EXPECT_EQ(formatEncoding(OutputFormat::csv, TextEncoding::cp932, true), TextEncoding::cp932);
    EXPECT_EQ(formatEncoding(OutputFormat::html, TextEncoding::cp932, false), TextEncoding::utf8);
    EXPECT_EQ(formatEncoding(OutputFormat::text, std::nullopt, true), TextEncoding::utf8);
    std::ostringstream out, err;
    runCommandLine({"--help"}, out, err, ConsoleEnvironment{});
    EXPECT_NE(out.str().find("(.json, .csv, .html, .htm)"), std::string::npos);
}

SummaryRow row(const std::string& path, std::int32_t level, std::optional<double> estimate,
               const std::string& name = "n") {
    SummaryRow row;
    row.path = path;
    row.name = name;
    row.level = level;
    row.estimate = estimate;
    return row;
}

std::string pathsIn(SummaryOrder order) {
    Summary summary;
    summary.add(row("a", 9, std::nullopt));  // first by path, highest level, not estimated
    summary.add(row("b", 1, 1.5));
    summary.add(row("c", 0, -5));
    summary.finish(order);
    std::string paths;
    for (const SummaryRow& sorted : summary.rows()) paths += sorted.path;
    return paths;
}

TEST(SummaryWritersTest, TheUnestimatedCardComesLastWhereTheOrderNeedsAnEstimate) {
    EXPECT_EQ(pathsIn(SummaryOrder::path), "abc");
    EXPECT_EQ(pathsIn(SummaryOrder::level), "abc");
    EXPECT_EQ(pathsIn(SummaryOrder::estimate), "bca");
    EXPECT_EQ(pathsIn(SummaryOrder::difference), "cba");
}

TEST(SummaryWritersTest, NumbersAlignRightAndCsvDoublesItsQuotes) {
    Summary summary;
    summary.add(row("p1", 1, 12.5, "a\"b,c"));
    summary.add(row("p2", 1, 0.5));
    summary.finish(SummaryOrder::path);
    std::ostringstream text;
    writeSummaryText(text, summary, TextForm{TextEncoding::utf8});
    EXPECT_EQ(text.str().substr(0, text.str().find("\n\n")),
              u8"パス  名称   技能Lv  推定Lv     差  目標  効果\n"
              u8"p1    a\"b,c       1   12.50  11.50\n"
              u8"p2    n           1    0.50  -0.50");
    std::ostringstream csv;
    writeSummaryCsv(csv, summary, TextForm{TextEncoding::utf8});
    EXPECT_NE(csv.str().find("\r\np1,\"a\"\"b,c\",1,12.50,11.50,,,,\r\n"), std::string::npos);
}

}  // namespace
}  // namespace Vantorn
