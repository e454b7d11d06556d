// Folders as arguments, the summary against the report blocks, and its writers.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>
#include <sstream>

#include "BenchCards.hpp"
#include "CommandLine.hpp"
#include "ConsoleDriver.hpp"
#include "Progress.hpp"
#include "report/Real.hpp"
#include "summary/SummaryWriters.hpp"
#include "support/CardTesting.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

namespace fs = std::filesystem;

class SummaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("mornstave-summary-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string card(const fs::path& path, const std::string& name = "札") {
        testing::SkillCardRecord record;
        record.name = name;
        record.targetType = 3;
        record.cardLevel = 2;
        record.motions = {testing::MotionRecord{0, 1, 1, 0, 10}};
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << record.bytes().data;
        return path.string();
    }

    // Standard output and error of the whole command line (C locale: CP932, paths as bytes).
    std::pair<std::string, std::string> run(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        runCommandLine(args, out, err, ConsoleEnvironment{});
        return {out.str(), err.str()};
    }

    fs::path folder;
};

TEST_F(SummaryTest, AFolderStandsForItsCardsAsIfEachWereNamed) {
    const fs::path top = folder / "top";
    const std::string loose = card(folder / "skill0.vnt");
    const std::string capital = card(top / "Skill1.VNT");
    const std::string ten = card(top / "skill10.vnt");
    const std::string two = card(top / "skill2.vnt");
    std::ofstream(top / "skill3.vnt", std::ios::binary) << "\x06 not a card";
    const std::string broken = (top / "skill3.vnt").string();
    card(top / "other.vnt");
    card(top / "skill4.vnt.txt");
    const std::string nested = card(top / "sub" / "skill5.vnt");
    const std::string folderNamedLikeACard = card(top / "skill6.vnt" / "skill7.vnt");
    fs::create_directory_symlink(top, top / "sub" / "loop");  // never followed: no loop
    fs::create_symlink(ten, top / "skill8.vnt");               // a linked file is a card
    const std::string linked = (top / "skill8.vnt").string();

    // Name order is byte order: capitals first, "10" before "2".
    const std::vector<std::string> flat = {loose, capital, ten, two, broken, linked};
    EXPECT_EQ(run({loose, top.string()}), run(flat));
    std::vector<std::string> deep = flat;
    deep.insert(deep.end(), {folderNamedLikeACard, nested});  // subfolders after the cards, by name
    EXPECT_EQ(run({"-r", loose, top.string()}), run(deep));
    EXPECT_EQ(run({"--format=json", "-r", loose, top.string()}), run([&] {
                  std::vector<std::string> args = deep;
                  args.insert(args.begin(), "--format=json");
                  return args;
              }()));

    // An unreadable folder: one error line, and the next argument still comes. Root
    // reads any folder, so the child drops to an unprivileged user first.
    const fs::path locked = folder / "locked";
    card(locked / "skill1.vnt");
    fs::permissions(locked, fs::perms::none);
    fs::permissions(folder, fs::perms::all);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const auto [out, err] = run({locked.string(), loose});
        const std::string report = err + '\x1F' + out;
        ::_exit(::write(pipeEnds[1], report.data(), report.size()) == ssize_t(report.size()) ? 0 : 4);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    fs::permissions(locked, fs::perms::owner_all);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(report, locked.string() + ": 開けません\n" + '\x1F' + run({loose}).first);
}

// The number of a report line "label: value" in a block.
std::string blockValue(const std::string& block, const std::string& label) {
    const std::size_t start = block.rfind("\n" + label);
    if (start == std::string::npos) return {};
    const std::size_t value = start + 1 + label.size();
    return block.substr(value, block.find('\n', value) - value);
}

TEST_F(SummaryTest, TheSummarysNumbersAreTheBlocks) {
    const std::string tree = (folder / "tree").string();
    ASSERT_FALSE(bench::writeCardTree(tree, 400, true).empty());
    const std::vector<std::string> args = {"-r", MORNSTAVE_EXAMPLES_DIR, tree};

    // The blocks by path, and the failures on standard error.
    const auto [text, errors] = run(args);
    std::map<std::string, std::string> blocks;
    std::vector<std::string> order;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\n\n[", start);
        const std::string block = text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
        order.push_back(block.substr(1, block.find("]\n") - 1));
        blocks[order.back()] = block;
        start = end == std::string::npos ? text.size() : end + 2;
    }

    std::vector<std::string> summaryArgs = args;
    summaryArgs.insert(summaryArgs.begin(), {"--summary", "--format=json"});
    const auto [json, jsonErrors] = run(summaryArgs);
    EXPECT_EQ(jsonErrors, errors);
    const nlohmann::json document = nlohmann::json::parse(json);
    std::vector<std::string> cardOrder;  // made on worker threads, written in the walk's order
    for (const nlohmann::json& card : document["cards"]) {
        if (!card.contains("error")) cardOrder.push_back(card["path"]);
    }
    EXPECT_EQ(cardOrder, order);
    const nlohmann::json& summary = document["summary"];
    const nlohmann::json& rows = summary["rows"];
    ASSERT_EQ(rows.size(), blocks.size());
    ASSERT_EQ(rows.size(), 7u + 400 + 2);  // the examples, the tree, its odd and capital cards

    double previous = INFINITY, absoluteSum = 0;
    std::size_t estimated = 0;
    for (const nlohmann::json& row : rows) {
        const std::string& block = blocks.at(row["path"]);
        EXPECT_EQ(blockValue(block, "技能Lv: "), std::to_string(row["level"].get<int>()));
        EXPECT_NE(block.find("\n名称: " + utf8ToCp932(row["name"].get<std::string>()) + "\n"), std::string::npos);
        std::ostringstream level;
        level.precision(3);
        if (row["estimate"].is_null()) {
            level << "-774";  // what the block says for a card not estimated
            EXPECT_TRUE(row["difference"].is_null());
        } else {
            level << Real{row["estimate"].get<double>()};
            const double difference = row["difference"].get<double>();
            EXPECT_EQ(difference, row["estimate"].get<double>() - row["level"].get<int>());
            EXPECT_LE(std::fabs(difference), previous) << "by absolute difference, largest first";
            previous = std::fabs(difference);
            absoluteSum += previous;
            ++estimated;
        }
        EXPECT_EQ(blockValue(block, "level: "), level.str()) << row["path"];
    }
    const nlohmann::json& failures = summary["failures"];
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(errors, failures[0]["path"].get<std::string>() + ": I/O例外\n");
    const nlohmann::json& totals = summary["totals"];
    EXPECT_EQ(totals["read"], rows.size());
    EXPECT_EQ(totals["failed"], 1);
    EXPECT_NEAR(totals["meanAbsoluteDifference"].get<double>(), absoluteSum / estimated, 1e-9);
    // The furthest are the rows at either end of the differences.
    ASSERT_EQ(totals["furthestAbove"].size(), 5u);
    ASSERT_EQ(totals["furthestBelow"].size(), 5u);
    double lowest = INFINITY, highest = -INFINITY;
    for (const nlohmann::json& row : rows) {
        if (row["difference"].is_null()) continue;
        lowest = std::min(lowest, row["difference"].get<double>());
        highest = std::max(highest, row["difference"].get<double>());
    }
    EXPECT_EQ(rows[totals["furthestAbove"][0].get<std::size_t>()]["difference"].get<double>(), lowest);
    EXPECT_EQ(rows[totals["furthestBelow"][0].get<std::size_t>()]["difference"].get<double>(), highest);
}

TEST_F(SummaryTest, FormatsFollowTheOptionsAndTheFileName) {
    const std::string one = card(folder / "skill1.vnt", "</script><b>&");
    const std::string output = (folder / "Report.HTML").string();
    EXPECT_EQ(run({"-o", output, one}), std::make_pair(std::string(), std::string()));
    std::ifstream file(output, std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    // The card's texts cannot end the page's elements early.
    EXPECT_EQ(page.find("</script><b>"), std::string::npos);
    EXPECT_NE(page.find("[" + one + u8"]\n名称: &lt;/script&gt;&lt;b&gt;&amp;\n"), std::string::npos);
    EXPECT_NE(page.find(R"("name":"\u003c/script>\u003cb>&")"), std::string::npos);

    // CSV is UTF-8 with its mark whatever the locale, unless CP932 is asked for.
    EXPECT_EQ(run({"--format=csv", one}).first.rfind(u8"\uFEFFパス,", 0), 0u);
    EXPECT_EQ(run({"--format=csv", "--encoding=cp932", one}).first.rfind("パス,", 0), 0u);
    EXPECT_EQ(run({"--summary", "--sort=bogus", one}).second.rfind("mornstave: ", 0), 0u);
}

// The columns' headings, each number's digits and where a failure stopped come from
// the core once: one tie (1.125 and 0.125, exact in binary) reads "1.12" and "0.12" in
// the report's level line, the text summary, the CSV, the JSON's cells and the page.
TEST_F(SummaryTest, OneTieAndOneFailureReadAlikeInEveryOutput) {
    testing::SkillCardRecord record;  // aimed at enemies, one 混乱配布: an estimate of 1.125
    record.name = "互角\n二行";
    record.targetType = 3;
    record.cardLevel = 1;
    record.successModifier = 2;
    record.bonuses[0] = 11;  // avoidance
    record.motions = {testing::MotionRecord{7, 6}};
    const std::string tie = (folder / "skill1.vnt").string();
    const std::string whole = record.bytes().data;
    std::ofstream(tie, std::ios::binary) << whole;
    const std::string broken = (folder / "skill2.vnt").string();
    std::ofstream(broken, std::ios::binary) << whole.substr(0, 40);

    const nlohmann::json summary =
        nlohmann::json::parse(run({"--summary", "--format=json", tie, broken}).first)["summary"];
    const nlohmann::json& row = summary["rows"][0];
    ASSERT_EQ(row["estimate"].get<double>(), 1.125);
    EXPECT_EQ(row["cells"], (nlohmann::json{{"path", tie}, {"name", u8"互角 二行"}, {"level", "1"},
                                            {"estimate", "1.12"}, {"difference", "0.12"},
                                            {"target", row["target"]}, {"effects", row["effects"]}}));
    EXPECT_EQ(summary["totals"]["texts"], (nlohmann::json{{"read", "1"}, {"failed", "1"},
                                                          {"meanAbsoluteDifference", "0.12"}}));
    const std::string location = summary["failures"][0]["cells"]["location"];
    EXPECT_EQ(location.rfind("0x000000", 0), 0u) << location;

    const std::string report = run({tie}).first;
    const std::string text = run({"--summary", tie, broken}).first;
    const std::string csv = run({"--format=csv", "--encoding=cp932", tie, broken}).first;
    std::ostringstream pageFile;
    {
        const std::string html = (folder / "page.html").string();
        run({"-o", html, tie, broken});
        pageFile << std::ifstream(html, std::ios::binary).rdbuf();
    }
    const std::string page = pageFile.str();
    EXPECT_NE(report.find("\nlevel: 1.12\n"), std::string::npos) << report;
    EXPECT_NE(text.find("  1.12  0.12  "), std::string::npos) << text;
    EXPECT_NE(text.find("(" + location + ")"), std::string::npos) << text;
    EXPECT_NE(csv.find(",1,1.12,0.12,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",\"" + location + "\"\r\n"), std::string::npos) << csv;
    EXPECT_NE(page.find(R"("estimate":"1.12","difference":"0.12")"), std::string::npos);
    EXPECT_EQ(page.find("toFixed(2)"), std::string::npos) << "the page writes no number of its own";
    for (const std::string* output : {&text, &csv, &page}) {
        EXPECT_EQ(output->find("1.13"), std::string::npos);
        EXPECT_EQ(output->find("0.13"), std::string::npos);
    }

    // One list of headings: the text table's, the CSV's and the JSON's columns.
    std::string headings, cardHeadings;
    for (const nlohmann::json& column : summary["columns"]) {
        const std::string heading = utf8ToCp932(column["heading"].get<std::string>());
        headings += (headings.empty() ? "" : ",") + heading;
        if (column["kind"] != "failure") cardHeadings += (cardHeadings.empty() ? "" : " ") + heading;
    }
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), headings);
    std::string header = text.substr(0, text.find('\n'));
    header.erase(std::unique(header.begin(), header.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
                 header.end());
    EXPECT_EQ(header, cardHeadings);
}

// One order by each column, for --sort, the page's ranks and the window: texts A to Z
// by their bytes, numbers largest first, the difference by its size, no value last in
// either direction, equal values by path, then entry.
TEST(SummaryOrderTest, EachColumnSortsOneWayAndTheRanksFollowIt) {
    const auto row = [](std::size_t entry, std::string path, std::string name, std::int32_t level,
                        std::optional<double> estimate) {
        SummaryRow made;
        made.entry = entry;
        made.path = std::move(path);
        made.name = std::move(name);
        made.level = level;
        made.estimate = estimate;
        return made;
    };
    // difference: A -2, B +2, C none, D 0.5, E NaN (no value either)
    const std::vector<SummaryRow> rows = {
        row(0, "b", "炎", 3, 1.0),      row(1, "a", "炎", 1, 3.0), row(2, "c", "ab", 5, std::nullopt),
        row(3, "d", "\x81\x40", 2, 2.5), row(9, "a", "", 0, std::nan("")),
    };
    enum { A, B, C, D, E };
    using Order = std::vector<std::size_t>;
    const std::vector<std::tuple<SummaryColumn, Order, Order>> expected = {
        {SummaryColumn::difference, {B, A, D, E, C}, {D, B, A, E, C}},
        {SummaryColumn::estimate, {B, D, A, E, C}, {A, D, B, E, C}},
        {SummaryColumn::level, {C, A, D, B, E}, {E, B, D, A, C}},
        {SummaryColumn::name, {E, C, D, B, A}, {B, A, D, C, E}},
        {SummaryColumn::path, {B, E, A, C, D}, {D, C, A, B, E}},
        {SummaryColumn::target, {B, E, A, C, D}, {B, E, A, C, D}},  // all equal: by path
    };
    const std::vector<SummaryRanks> ranks = summaryRanks(rows);
    for (const auto& [column, forward, backward] : expected) {
        const char* key = columnInfo(column).key;
        EXPECT_EQ(summaryOrder(rows, column, false), forward) << key;
        EXPECT_EQ(summaryOrder(rows, column, true), backward) << key;
        for (std::size_t place = 0; place < rows.size(); ++place) {
            EXPECT_EQ(ranks[forward[place]].places[static_cast<std::size_t>(column)][0], place) << key;
            EXPECT_EQ(ranks[backward[place]].places[static_cast<std::size_t>(column)][1], place) << key;
        }
    }
    for (const auto& [order, column] : {std::pair{SummaryOrder::difference, SummaryColumn::difference},
                                        std::pair{SummaryOrder::level, SummaryColumn::level}}) {
        Summary summary;
        for (const SummaryRow& each : rows) summary.add(each);
        summary.finish(order);
        std::vector<std::size_t> entries, wanted;
        for (const SummaryRow& each : summary.rows()) entries.push_back(each.entry);
        for (std::size_t position : summaryOrder(rows, column, false)) wanted.push_back(rows[position].entry);
        EXPECT_EQ(entries, wanted) << "--sort=" << summaryOrderName(order);
    }

    // A row's cells: on one line, two decimals, never "-0.00", nothing for no value.
    const SummaryCells cells = summaryCells(row(0, "p\tq", "a\r\nb", 2, -0.0));
    EXPECT_EQ(cells, (SummaryCells{"p q", "a  b", "2", "0.00", "-2.00", "", "", "", ""}));
    EXPECT_EQ(summaryCells(rows[C])[static_cast<std::size_t>(SummaryColumn::estimate)], "");
}

TEST(SummaryTextTest, ColumnsLineUpWhereWideCharactersTakeTwo) {
    Summary summary;
    for (const char* name : {"炎の矢", "ab", "ｱｲ"}) {  // wide, narrow, halfwidth katakana
        SummaryRow row;
        row.path = "p";
        row.name = name;
        row.level = 1;
        row.target = "敵方単体";
        summary.add(row);
    }
    summary.finish(SummaryOrder::path);
    std::ostringstream utf8;
    writeSummaryText(utf8, summary, TextForm{TextEncoding::utf8});
    EXPECT_EQ(utf8.str().substr(0, utf8.str().find("\n\n")),
              u8"パス  名称    技能Lv  推定Lv  差  目標      効果\n"
              u8"p     炎の矢       1              敵方単体\n"
              u8"p     ab           1              敵方単体\n"
              u8"p     ｱｲ           1              敵方単体");
    // In CP932 a terminal gives each byte a column.
    std::ostringstream cp932;
    writeSummaryText(cp932, summary, TextForm{TextEncoding::cp932});
    EXPECT_EQ(cp932.str().substr(0, cp932.str().find("\n\n")), utf8ToCp932(utf8.str().substr(0, utf8.str().find("\n\n"))));
}

TEST(ProgressTest, ShowsOnlyAfterASecondAndLeavesNothing) {
    auto now = std::chrono::steady_clock::time_point{};
    std::ostringstream err;
    {
        Progress progress(err, true, TextEncoding::utf8, "F", "C", [&] { return now; });
        progress.folderListed();
        progress.cardDone();
        EXPECT_EQ(err.str(), "") << "a short run shows nothing";
        now += std::chrono::milliseconds(1500);
        progress.cardDone();
        EXPECT_EQ(err.str(), "\rF 1  C 2");
        now += std::chrono::milliseconds(10);
        progress.cardDone();
        EXPECT_EQ(err.str(), "\rF 1  C 2") << "redrawn at most ten times a second";
    }
    EXPECT_EQ(err.str(), "\rF 1  C 2\r        \r");
}

}  // namespace
}  // namespace Vantorn
