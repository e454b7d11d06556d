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
    Listed() {
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
        Composition composition = *Composition::of(paths);
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
    EXPECT_EQ(listed.column(kName), (std::vector<std::u16string>{u"癒しの風", u"Ｚｅｐｈｙｒ  二", u"炎の矢", u"嵐の舞", u""}));
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
    EXPECT_EQ(listed.column(kName), (std::vector<std::u16string>{u"嵐の舞", u"炎の矢", u"癒しの風", u"Ｚｅｐｈｙｒ  二", u""}));
    listed.rows.sortBy(kName);
    EXPECT_EQ(listed.column(kName), (std::vector<std::u16string>{u"Ｚｅｐｈｙｒ  二", u"癒しの風", u"炎の矢", u"嵐の舞", u""}));
    // Numbers largest first, then smallest first; no estimate last both ways.
    listed.rows.sortBy(kLevel);
    EXPECT_EQ(listed.column(kLevel), (std::vector<std::u16string>{u"20", u"9", u"3", u"1", u""}));
    for (bool ascending : {false, true}) {
        listed.rows.sortBy(kEstimate);
        EXPECT_EQ(listed.rows.ascending(), ascending);
        EXPECT_EQ(listed.rows.cell(3, kName), u"嵐の舞");
        EXPECT_EQ(listed.rows.cell(0, kName), ascending ? u"Ｚｅｐｈｙｒ  二" : u"癒しの風");
    }
    listed.rows.filter(u"ｚｅＰ");
    EXPECT_EQ(listed.column(kName), std::vector<std::u16string>{u"Ｚｅｐｈｙｒ  二"});
    listed.rows.filter(u"SKILL_D");
    EXPECT_EQ(listed.column(kError), std::vector<std::u16string>{u"技能カードではありません"});
    listed.rows.filter(u"");
    EXPECT_EQ(listed.rows.size(), 5u);
}

}  // namespace
}  // namespace Mornstave
