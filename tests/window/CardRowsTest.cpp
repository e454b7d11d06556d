#include "CardRows.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cardwriter/CardWriter.hpp"
#include "text/Cp932.hpp"

namespace Mornstave {
namespace {

using Vantorn::testing::MotionRecord;
using Vantorn::testing::SkillCardRecord;

std::string card(const char* name, std::int32_t level, std::uint8_t target) {
    SkillCardRecord record;
    record.name = name;
    record.targetType = target;
    record.targetsAll = target == 4;
    record.motions = {MotionRecord{0, 1, 5, 0, 4 + level}};
    record.cardLevel = level;
    return record.bytes().data;
}

// Cards of every kind the list shows, composed as a folder is, and its
// rows over the published text.
struct Listed {
    explicit Listed(bool advised = false) {
        const auto dir = std::filesystem::path(::testing::TempDir()) / "mornstave-cardrows";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const std::pair<const char*, std::string> files[] = {
            {"skill_a.vnt", card("炎の矢", 3, 3)},     {"skill_b.vnt", card("Ｚｅｐｈｙｒ\r\n二", 1, 3)},
            {"skill_c.vnt", card("嵐の舞", 9, 4)},     {"skill_d.vnt", "broken"},
            {"skill_e.vnt", card("癒しの風", 20, 3)}};
        std::vector<std::u16string> paths;
        for (const auto& [name, bytes] : files) {
            std::ofstream(dir / name, std::ios::binary) << bytes;
            paths.push_back(Vantorn::utf8ToUtf16((dir / name).string()));
        }
        Composition composition = *Composition::of(paths, Composition::Paths::walked, false, nullptr, advised);
        table = std::move(composition.table);
        published = publish(composition.text.shown);
        rows = CardRows(table, published);
    }
    std::vector<std::u16string> column(int at) const {
        std::vector<std::u16string> cells;
        for (std::size_t row = 0; row < rows.size(); ++row) cells.push_back(rows.cell(row, at));
        return cells;
    }
    Table table;
    std::u16string published;
    CardRows rows;
};

TEST(CardRowsTest, CellsAreTheSummarysOnOneLineFailuresLastEachFindsItsHeaderLine) {
    const Listed listed;
    EXPECT_EQ(CardRows::headings(),
              (std::vector<std::u16string>{u"パス", u"名称", u"技能Lv", u"推定Lv", u"差", u"目標", u"効果", u"エラー", u"場所"}));
    ASSERT_EQ(listed.rows.size(), 5u);
    // The summary's order: largest difference (-7.09, 0.58, -0.54) first,
    // no estimate last, then failures.
    EXPECT_EQ(listed.column(kName), (std::vector<std::u16string>{u"癒しの風", u"Ｚｅｐｈｙｒ^M^J二", u"炎の矢", u"嵐の舞", u""}));
    EXPECT_EQ(listed.rows.cell(0, kLevel), u"20");
    EXPECT_EQ(listed.rows.cell(0, kEstimate), u"12.91");
    EXPECT_EQ(listed.rows.cell(0, kDifference), u"-7.09");
    EXPECT_EQ(listed.rows.cell(0, kEffects), u"生命力ダメージ(炎): Lv比24");
    EXPECT_EQ(listed.rows.cell(3, kEstimate), u"");
    EXPECT_EQ(listed.rows.cell(4, kError), u"技能カードではありません");
    EXPECT_EQ(listed.rows.cell(4, kPlace), u"0x00000000, tag (found 98, allowed 5)");
    for (std::size_t row = 0; row < listed.rows.size(); ++row) {
        const auto [from, to] = listed.rows.header(row);
        EXPECT_EQ(listed.published.substr(from, to - from), u"[" + listed.rows.cell(row, kPath) + u"]");
        EXPECT_EQ(listed.published.compare(to, 2, u"\r\n"), 0);
    }
}

TEST(CardRowsTest, SortsByAColumnReversesOnTheSecondAndFiltersByPathOrName) {
    Listed listed;
    listed.rows.sortBy(kName);
    EXPECT_EQ(listed.rows.sortColumn(), kName);
    EXPECT_TRUE(listed.rows.ascending());
    // Texts by their CP932 bytes, as every output of the summary sorts them.
    EXPECT_EQ(listed.column(kName), (std::vector<std::u16string>{u"Ｚｅｐｈｙｒ^M^J二", u"炎の矢", u"癒しの風", u"嵐の舞", u""}));
    listed.rows.sortBy(kName);
    EXPECT_FALSE(listed.rows.ascending());
    EXPECT_EQ(listed.column(kName), (std::vector<std::u16string>{u"嵐の舞", u"癒しの風", u"炎の矢", u"Ｚｅｐｈｙｒ^M^J二", u""}));
    // Numbers largest first, then smallest first; no estimate last both ways.
    listed.rows.sortBy(kLevel);
    EXPECT_EQ(listed.column(kLevel), (std::vector<std::u16string>{u"20", u"9", u"3", u"1", u""}));
    for (bool ascending : {false, true}) {
        listed.rows.sortBy(kEstimate);
        EXPECT_EQ(listed.rows.ascending(), ascending);
        EXPECT_EQ(listed.rows.cell(3, kName), u"嵐の舞");
        EXPECT_EQ(listed.rows.cell(0, kName), ascending ? u"Ｚｅｐｈｙｒ^M^J二" : u"癒しの風");
    }
    listed.rows.filter(u"ｚｅＰ");
    EXPECT_EQ(listed.column(kName), std::vector<std::u16string>{u"Ｚｅｐｈｙｒ^M^J二"});
    listed.rows.filter(u"SKILL_D");
    EXPECT_EQ(listed.column(kError), std::vector<std::u16string>{u"技能カードではありません"});
    listed.rows.filter(u"");
    EXPECT_EQ(listed.rows.size(), 5u);
}

// An advised result adds 提案 as the last column, each cell the first piece
// of the card's advice; every other column stays as it was.
TEST(CardRowsTest, AnAdvisedResultHasTheAdviceColumnLast) {
    const Listed plain;
    Listed advised(true);
    std::vector<std::u16string> headings = CardRows::headings(true);
    EXPECT_EQ(headings.back(), u"提案");
    headings.pop_back();
    EXPECT_EQ(headings, CardRows::headings());
    EXPECT_FALSE(plain.rows.advised());
    EXPECT_EQ(plain.rows.columns(), kCardColumns);
    EXPECT_TRUE(advised.rows.advised());
    EXPECT_EQ(advised.rows.columns(), kCardColumns + 1);
    for (int at = 0; at < kCardColumns; ++at) EXPECT_EQ(advised.column(at), plain.column(at));
    std::size_t withAdvice = 0;
    for (const Vantorn::SummaryRow& row : advised.table.summary().rows()) {
        std::size_t shown = 0;
        while (shown < advised.rows.size() && advised.rows.cell(shown, kPath) != Vantorn::utf8ToUtf16(row.path)) ++shown;
        ASSERT_LT(shown, advised.rows.size());
        EXPECT_EQ(advised.rows.cell(shown, kAdvice), Vantorn::cp932ToUtf16(row.advice));
        withAdvice += !row.advice.empty();
    }
    EXPECT_GE(withAdvice, 2u);
    EXPECT_EQ(advised.rows.cell(advised.rows.size() - 1, kAdvice), u"");  // the failure
    advised.rows.sortBy(kAdvice);
    EXPECT_EQ(advised.rows.sortColumn(), kAdvice);
    Listed again;
    again.rows.sortBy(kAdvice);  // no such column without advice
    EXPECT_EQ(again.rows.sortColumn(), -1);
}

// 差 sorts by its absolute value, as the summary's other outputs do, and a
// tie of the third decimal reads as the report's level line rounds it.
TEST(CardRowsTest, TheDifferenceSortsByItsSizeAndATieKeepsTheCoresDigits) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "mornstave-cardrows-tie";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    SkillCardRecord tie;  // aimed at enemies, one 混乱配布: an estimate of exactly 1.125
    tie.name = "互角";
    tie.targetType = 3;
    tie.cardLevel = 1;
    tie.successModifier = 2;
    tie.bonuses[0] = 11;  // avoidance
    tie.motions = {MotionRecord{7, 6}};
    const std::pair<const char*, std::string> files[] = {
        {"skill_a.vnt", tie.bytes().data}, {"skill_b.vnt", card("炎の矢", 3, 3)}, {"skill_c.vnt", card("癒しの風", 20, 3)}};
    std::vector<std::u16string> paths;
    for (const auto& [name, bytes] : files) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        paths.push_back(Vantorn::utf8ToUtf16((dir / name).string()));
    }
    const Composition composition = *Composition::of(paths);
    CardRows rows(composition.table, publish(composition.text.shown));
    const auto names = [&] {
        std::vector<std::u16string> cells;
        for (std::size_t row = 0; row < rows.size(); ++row) cells.push_back(rows.cell(row, kName));
        return cells;
    };
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.cell(2, kName), u"互角");
    EXPECT_EQ(rows.cell(2, kEstimate), u"1.12");
    EXPECT_EQ(rows.cell(2, kDifference), u"0.12");
    rows.sortBy(kDifference);  // -7.09, -0.54, 0.125: the largest difference first
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"癒しの風", u"炎の矢", u"互角"}));
    EXPECT_FALSE(rows.ascending());
    rows.sortBy(kDifference);
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"互角", u"炎の矢", u"癒しの風"}));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace Mornstave
