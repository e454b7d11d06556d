#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include "estimate/EstimateTesting.hpp"
#include "report/Report.hpp"

namespace Vantorn {
namespace {

using namespace testing;

TEST(LevelLine, NoTargetWritesTheLevelAlone) {
    EXPECT_EQ(estimateText(cardWith(noTarget)), "level: -0.286\n");

    SkillCardRecord record = cardWith(noTarget);
    record.bonuses[0] = record.bonuses[1] = record.bonuses[2] = 10;
    EXPECT_EQ(estimateText(record), "level: 4.71\n");
}

TEST(LevelLine, EnemiesGetTheOffensiveWorking) {
    EXPECT_EQ(estimateText(cardWith(enemies, {strength(0, 1, levelRatio, 10, attrBody)})),
              "L:10, D: 0, Lp: 0, Dp: 0, M: 0\n"
              "1, 48.25; 2, 51; 3, 53.75; \n"
              "level: 3.84\n");
}

TEST(LevelLine, AlliesGetTheSupportiveWorking) {
    EXPECT_EQ(estimateText(cardWith(allies, {strength(0, 0, levelRatio, 12)})),
              "L:12, D: 0, Lp: 0, Dp: 0, M: 0\n"
              "1, 27.35; \n"
              "level: 1.95\n");
}

TEST(LevelLine, TheUserAloneGetsThreeQuartersOfTheSupportiveLevel) {
    EXPECT_EQ(estimateText(cardWith(user, {strength(0, 0, levelRatio, 12)})),
              "L:12, D: 0, Lp: 0, Dp: 0, M: 0\n"
              "1, 27.35; \n"
              "level: 1.47\n");
}

TEST(LevelLine, BothSidesAsAWholeAreNotEstimated) {
    SkillCardRecord record =
        cardWith(bothSides, {strength(0, 1, levelRatio, 10), strength(0, 0, maximum, 0), plain(2, 0)});
    record.targetsAll = true;
    record.bonuses[0] = 10;
    EXPECT_EQ(estimateText(record), "双方全体: not yet implemented.\nlevel: -774\n");
}

TEST(LevelLine, BothSidesOneByOneWriteBothWorkingsAndTakeTheSupportiveWhenLarger) {
    EXPECT_EQ(estimateText(cardWith(bothSides, {strength(0, 0, levelRatio, 40)})),
              "L:-40, D: 0, Lp: 0, Dp: 0, M: 0\n"
              "1, -213; \n"
              "L:40, D: 0, Lp: 0, Dp: 0, M: 0\n"
              "1, 100.5; 2, 106; 3, 111.5; 4, 117; 5, 122.5; 6, 128; 7, 133.5; 8, 139; 9, 144.5; 10, 150; \n"
              "level: 10.7\n");
}

TEST(LevelLine, BothSidesOneByOneTakeTheOffensiveWhenLarger) {
    EXPECT_EQ(estimateText(cardWith(bothSides, {strength(0, 1, direct, 10)})),
              "L:0, D: 10, Lp: 0, Dp: 0, M: 0\n"
              "1, 7; \n"
              "L:0, D: -10, Lp: 0, Dp: 0, M: 0\n"
              "1, -9.5; \n"
              "level: 0.5\n");
}

TEST(LevelLine, BothSidesOneByOneWithEqualLevels) {
    EXPECT_EQ(estimateText(cardWith(bothSides)),
              "L:0, D: 0, Lp: 0, Dp: 0, M: 0\n1, -4; \n"
              "L:0, D: 0, Lp: 0, Dp: 0, M: 0\n1, -4; \n"
              "level: -0.286\n");
}

TEST(LevelLine, HugeLevelsAreWrittenInExponentNotation) {
    const std::int32_t most = std::numeric_limits<std::int32_t>::max();
    std::string trials;
    for (int level = 1; level <= 10; ++level) trials += std::to_string(level) + ", 2.362e+09; ";
    EXPECT_EQ(estimateText(cardWith(enemies, {strength(0, 1, direct, most)})),
              "L:0, D: 2.147e+09, Lp: 0, Dp: 0, M: 0\n" + trials + "\nlevel: 1.69e+08\n");
    EXPECT_EQ(estimateText(cardWith(enemies, {strength(0, 0, direct, most)})),
              "L:0, D: -2.147e+09, Lp: 0, Dp: 0, M: 0\n1, -2.362e+09; \nlevel: -1.69e+08\n");
}

TEST(LevelLine, CallersPrecisionSurvivesTheEstimate) {
    const std::unique_ptr<SkillCard> card = loadCard(cardWith(enemies, {strength(0, 1, levelRatio, 10)}));
    std::ostringstream out;
    out.precision(9);
    out << "before\n";
    writeEstimate(out, estimateLevel(*card));
    EXPECT_EQ(out.precision(), 9);
    out << 2.0 / 3;
    EXPECT_EQ(out.str(),
              "before\n"
              "L:10, D: 0, Lp: 0, Dp: 0, M: 0\n"
              "1, 48.25; 2, 51; 3, 53.75; \n"
              "level: 3.84\n"
              "0.666666667");
}

TEST(LevelLine, StreamWithoutBufferTakesNothingAndTheEstimateStillEnds) {
    const std::unique_ptr<SkillCard> card = loadCard(cardWith(bothSides, {strength(0, 0, levelRatio, 40)}));
    std::ostream out(nullptr);
    EXPECT_NO_THROW(writeEstimate(out, estimateLevel(*card)));
}

}  // namespace
}  // namespace Vantorn
