#include "Compose.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "format/Errors.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"
#include "cardwriter/CardWriter.hpp"

namespace Mornstave {
namespace {

namespace fs = std::filesystem;
using Vantorn::ContentKind;
using Vantorn::testing::ContentRecord;
using Vantorn::testing::MotionRecord;
using Vantorn::testing::SkillCardRecord;

// A folder of its own per test, so that tests never see each other's files.
class CardFolder {
public:
    CardFolder() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::path(::testing::TempDir()) / "mornstave-compose" /
                (std::string(test->test_suite_name()) + "." + test->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~CardFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::string dir() const { return root_.string() + "/"; }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
        return dir() + name;
    }

private:
    fs::path root_;
};

// A card aimed at enemies, with a motion and an event, so that both the
// description and the estimate have something to say.
std::string cardWithEvent() {
    SkillCardRecord record;
    record.name = "炎の矢";
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

std::string notACard() {
    return std::string("\x01not a card", 11);
}

// What the core itself writes for the card at path, unframed.
std::string coreText(const std::string& path) {
    Vantorn::SkillCard card;
    card.load(path);
    std::ostringstream out;
    Vantorn::writeDescription(out, card);
    Vantorn::writeEstimate(out, Vantorn::estimateLevel(card));
    return out.str();
}

std::string messageOf(const std::string& path) {
    try {
        composeCard(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    ADD_FAILURE() << "no error for " << path;
    return {};
}

TEST(ComposeCardTest, IsTheHeaderLineThenDescriptionAndEstimateWithNoEmptyLineAfter) {
    CardFolder folder;
    const std::string path = folder.write("skill1.vnt", cardWithEvent());
    const std::string text = composeCard(path);

    EXPECT_EQ(text, "[" + path + "]\n" + coreText(path));
    EXPECT_NE(text.find("\nlevel: "), std::string::npos);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text[text.size() - 2], '\n');
}

TEST(ComposeCardTest, ReadingErrorsReachTheCallerWithTheirMessage) {
    CardFolder folder;
    EXPECT_EQ(messageOf(folder.dir() + "skill_missing.vnt"), "開けません");
    EXPECT_EQ(messageOf(folder.write("skill_text.vnt", notACard())), "技能カードではありません");
    EXPECT_EQ(messageOf(folder.write("skill_broken.vnt", corruptCard())), "ファイルが壊れています");
    EXPECT_THROW(composeCard(folder.dir() + "skill_missing.vnt"), Vantorn::OpenFailedException);
}

TEST(ComposeFolderTest, BlocksKeepTheGivenOrderAndAFailureStaysInsideItsOwnBlock) {
    CardFolder folder;
    folder.write("skill_a.vnt", cardWithEvent());
    folder.write("skill_bad.vnt", corruptCard());
    folder.write("skill_b.vnt", cardWithoutEvent());
    const std::string dir = folder.dir();

    const std::string text =
        composeFolder(dir, {"skill_a.vnt", "skill_bad.vnt", "skill_missing.vnt", "skill_b.vnt"});

    // The card after the one with events must come from a fresh card, and
    // the estimate's number format must not reach the next description:
    // each block equals the card composed on its own.
    EXPECT_EQ(text, composeCard(dir + "skill_a.vnt") + "\n" +
                        "[" + dir + "skill_bad.vnt]\nファイルが壊れています\n\n" +
                        "[" + dir + "skill_missing.vnt]\n開けません\n\n" +
                        composeCard(dir + "skill_b.vnt") + "\n");
}

TEST(ComposeFolderTest, NoNamesGiveNoText) {
    EXPECT_EQ(composeFolder("C:\\cards\\", {}), "");
}

TEST(FolderPrefixTest, EndsWithExactlyOneSeparatorCharacter) {
    EXPECT_EQ(folderPrefix("C:\\"), "C:\\");
    EXPECT_EQ(folderPrefix("C:\\scenario"), "C:\\scenario\\");
    EXPECT_EQ(folderPrefix("C:\\scenario\\"), "C:\\scenario\\");
    EXPECT_EQ(folderPrefix("\\\\server\\share"), "\\\\server\\share\\");
}

TEST(FolderPrefixTest, ATrailByteOf0x5CIsPartOfACharacterNotASeparator) {
    // 表 and ソ are 0x95 0x5C and 0x83 0x5C in CP932.
    const std::string table = "表";
    ASSERT_EQ(table, "\x95\x5C");
    EXPECT_EQ(folderPrefix("C:\\表"), "C:\\表\\");
    EXPECT_EQ(folderPrefix("C:\\ソ"), "C:\\ソ\\");
    EXPECT_EQ(folderPrefix("C:\\表\\"), "C:\\表\\");
    EXPECT_EQ(folderPrefix("C:\\表表"), "C:\\表表\\");
    // Half-width katakana are single bytes: the 0x5C after one is a separator.
    EXPECT_EQ(folderPrefix("C:\\\xB1\\"), "C:\\\xB1\\");
}

TEST(PublishTest, EveryLineFeedGetsACarriageReturnOfItsOwn) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"no line end", "no line end"},
        {"a\n", "a\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"x\r\ny\n", "x\r\r\ny\r\n"},
        {"\r", "\r"},
        {"名称: 炎\n", "名称: 炎\r\n"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(publish(text), expected) << "for " << ::testing::PrintToString(text);
    }
}

TEST(PublishTest, KeepsEveryOtherByteIncludingZeroBytes) {
    const std::string text("a\0b\n\xFF\x0D", 6);
    EXPECT_EQ(publish(text), std::string("a\0b\r\n\xFF\x0D", 7));
}

}  // namespace
}  // namespace Mornstave
