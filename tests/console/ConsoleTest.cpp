#include "ConsoleDriver.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::ContentRecord;
using testing::goodCard;
using testing::MotionRecord;
using testing::SkillCardRecord;

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("mornstave-console-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                  "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    int run(const std::vector<std::string>& paths) {
        return runConsole(paths, out, err);
    }

    std::filesystem::path folder;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ConsoleTest, NoArgumentPrintsTheBannerAndFails) {
    EXPECT_EQ(run({}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Mornstave version 0.20\n\nUsage: mornstave.exe skill*.vnt (skill*.vnt)\n");
}

TEST_F(ConsoleTest, EachCardGivesOneBlockEndedByAnEmptyLine) {
    const std::string first = write("skill1.vnt", goodCard("一"));
    const std::string second = write("skill2.vnt", goodCard("二"));
    EXPECT_EQ(run({first, second}), 0);
    EXPECT_EQ(err.str(), "");
    const std::string text = out.str();
    const std::string firstBlock = "[" + first + "]\n名称: 一\n";
    ASSERT_EQ(text.compare(0, firstBlock.size(), firstBlock), 0) << text;
    const auto secondStart = text.find("\n\n[" + second + "]\n名称: 二\n");
    ASSERT_NE(secondStart, std::string::npos) << text;
    EXPECT_NE(text.rfind("\nlevel: ", secondStart), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
    EXPECT_NE(text.find("生命力ダメージ(肉体): Lv比10\nL:10, D: 0, Lp: 0, Dp: 0, M: 0\n"), std::string::npos);
}

TEST_F(ConsoleTest, UnreadableFilesGoToStandardErrorAndProcessingGoesOn) {
    const std::string good = write("skill1.vnt", goodCard("good"));
    const std::string notCard = write("skill2.vnt", "\x06 not a card");
    SkillCardRecord summoning;
    summoning.motions = {MotionRecord{8}};
    const std::string summon = write("skill3.vnt", summoning.bytes().data);
    SkillCardRecord serifu;
    serifu.events = {{ContentRecord{ContentKind::Serifu}}};
    const std::string unsupported = write("skill4.vnt", serifu.bytes().data);
    const std::string truncated = write("skill5.vnt", goodCard("cut").substr(0, 40));
    const std::string missing = (folder / "missing.vnt").string();

    EXPECT_EQ(run({missing, notCard, good, summon, unsupported, truncated}), 0);
    EXPECT_EQ(err.str(), missing + ": 開けません\n" +
                             notCard + ": 技能カードではありません\n" +
                             summon + ": 召喚には対応していません。\n" +
                             unsupported + ": Serifu: 未実装。\n" +
                             truncated + ": I/O例外\n");
    EXPECT_EQ(out.str().find("[" + good + "]\n"), 0u);
    EXPECT_EQ(out.str().find("\n\n["), std::string::npos) << "only the good card has a block";
}

TEST_F(ConsoleTest, JapanesePathsAreEchoedByteForByte) {
    const std::string path = write("skill魔法.vnt", goodCard("x"));
    const std::string missing = (folder / "表示.vnt").string();
    run({path, missing});
    EXPECT_EQ(out.str().find("[" + path + "]\n"), 0u);
    EXPECT_EQ(err.str(), missing + ": 開けません\n");
}

TEST_F(ConsoleTest, EstimatePrecisionDoesNotLeakIntoTheNextCard) {
    out.precision(9);
    const std::string path = write("skill1.vnt", goodCard("x"));
    run({path, path});
    EXPECT_EQ(out.precision(), 9);
}

}  // namespace
}  // namespace Vantorn
