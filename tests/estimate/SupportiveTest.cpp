#include <gtest/gtest.h>

#include <sstream>
#include <ostream>
#include <string>

#include "estimate/EstimateTesting.hpp"

namespace Vantorn {
namespace {

using namespace testing;

constexpr double tolerance = 1e-9;

Working supportive(const SkillCardRecord& record) {
    return workingOf(estimateSupportive, record);
}

Working supportive(std::vector<MotionRecord> motions) {
    return supportive(cardWith(allies, std::move(motions)));
}

std::string trialLine(const Working& working) {
    const std::size_t start = working.text.find('\n') + 1;
    return working.text.substr(start, working.text.find('\n', start) - start);
}

TEST(SupportiveEstimate, CardWithoutMotionsOnlyLosesTheDeduction) {
    const Working working = supportive(std::vector<MotionRecord>{});
    EXPECT_EQ(working.text, "L:0, D: 0, Lp: 0, Dp: 0, M: 0\n1, -4; \n");
    EXPECT_NEAR(working.level, -4.0 / 14, tolerance);
}

TEST(SupportiveEstimate, LevelRatioRecoveryIsHalvedByTheNeutralModifier) {
    const Working working = supportive({strength(0, 0, levelRatio, 12)});
    EXPECT_EQ(working.text, "L:12, D: 0, Lp: 0, Dp: 0, M: 0\n1, 27.35; \n");
    EXPECT_NEAR(working.level, 27.35 / 14, tolerance);
}

TEST(SupportiveEstimate, SuccessModifierMinusFiveTakesAllPowerAway) {
    SkillCardRecord record = cardWith(allies, {strength(0, 0, levelRatio, 12)});
    record.successModifier = -5;
    const Working working = supportive(record);
    EXPECT_EQ(working.text, "L:12, D: 0, Lp: 0, Dp: 0, M: 0\n1, -4; \n");
    EXPECT_NEAR(working.level, -4.0 / 14, tolerance);
}

TEST(SupportiveEstimate, SuccessModifierFiveLeavesThePowerWhole) {
    SkillCardRecord record = cardWith(allies, {strength(0, 0, direct, 20)});
    record.successModifier = 5;
    const Working working = supportive(record);
    EXPECT_EQ(working.text, "L:0, D: 20, Lp: 0, Dp: 0, M: 0\n1, 18; \n");
    EXPECT_NEAR(working.level, 18.0 / 14, tolerance);
}

TEST(SupportiveEstimate, SuccessModifierFollowsOneRuleAtBothEnds) {
    SkillCardRecord record = cardWith(allies, {strength(0, 0, direct, 20)});
    record.successModifier = 10;
    EXPECT_EQ(trialLine(supportive(record)), "1, 29; 2, 29; ");
    record.successModifier = -10;
    EXPECT_EQ(trialLine(supportive(record)), "1, -15; ");
}

TEST(SupportiveEstimate, MentalRecoveryAloneReachesLevelFourteen) {
    const Working working = supportive({plain(2, 0)});
    std::string trials;
    for (int level = 1; level <= 10; ++level) trials += std::to_string(level) + ", 196; ";
    EXPECT_EQ(working.text, "L:0, D: 0, Lp: 0, Dp: 0, M: 400\n" + trials + "\n");
    EXPECT_DOUBLE_EQ(working.level, 14.0);
}

TEST(SupportiveEstimate, CuredPoisonIsCappedOnceAfterWeighing) {
    const Working working = supportive({strength(1, 3, direct, 30), strength(1, 3, direct, 30)});
    EXPECT_EQ(working.text, "L:0, D: 0, Lp: 0, Dp: 40, M: 0\n1, 22.4; \n");
}

TEST(SupportiveEstimate, CausedPoisonIsNotCappedFromBelow) {
    const Working working = supportive({strength(1, 2, direct, 50), strength(1, 2, direct, 50)});
    EXPECT_EQ(working.text, "L:0, D: 0, Lp: 0, Dp: -100, M: 0\n1, -70; \n");
}

TEST(SupportiveEstimate, MaximumPoisonAndMaximumCureSetTheDirectPoison) {
    EXPECT_EQ(totalsLine(supportive({strength(1, 2, maximum, 0), strength(1, 2, maximum, 0)})),
              "L:0, D: 0, Lp: 0, Dp: -40, M: 0");
    EXPECT_EQ(totalsLine(supportive({strength(1, 2, direct, 30), strength(1, 3, maximum, 0)})),
              "L:0, D: 0, Lp: 0, Dp: 40, M: 0");
    EXPECT_EQ(totalsLine(supportive({strength(1, 3, maximum, 0), strength(1, 3, direct, 30)})),
              "L:0, D: 0, Lp: 0, Dp: 40, M: 0");
    EXPECT_EQ(totalsLine(supportive({strength(1, 2, maximum, 0), strength(1, 3, direct, 30)})),
              "L:0, D: 0, Lp: 0, Dp: -10, M: 0");
}

TEST(SupportiveEstimate, PoisonCountsLinearlyWithoutACapInTheLoop) {
    // 1.2 times the cure weighs like recovery of 12.
    EXPECT_EQ(trialLine(supportive({strength(1, 3, levelRatio, 10)})), "1, 27.35; ");
    EXPECT_EQ(trialLine(supportive({strength(1, 3, levelRatio, 100)})),
              "1, 309.5; 2, 326; 3, 342.5; 4, 359; 5, 375.5; 6, 392; 7, 408.5; 8, 425; 9, 441.5; 10, 458; ");
}

TEST(SupportiveEstimate, AllTargetsQuadruplesAndSilenceWeakensThePower) {
    SkillCardRecord record = cardWith(allies, {strength(0, 0, direct, 20)});
    record.targetsAll = true;
    EXPECT_EQ(trialLine(supportive(record)), "1, 40; 2, 40; ");
    record.targetsAll = false;
    record.unusableWhenSilenced = true;
    EXPECT_EQ(trialLine(supportive(record)), "1, 4.8; ");
    record.bonuses[2] = 10;  // added after the factor
    EXPECT_EQ(trialLine(supportive(record)), "1, 34.8; 2, 34.8; ");
}

TEST(SupportiveEstimate, NeitherElementNorEffectAttributeCounts) {
    SkillCardRecord record = cardWith(allies, {strength(0, 0, direct, 20, attrHoly)});
    record.effectAttribute = 2;
    EXPECT_EQ(trialLine(supportive(record)), "1, 7; ");
    EXPECT_EQ(totalsLine(supportive({strength(0, 1, levelRatio, 10, attrMagic)})),
              "L:-10, D: 0, Lp: 0, Dp: 0, M: 0");
}

TEST(SupportiveEstimate, BonusesCountAsInTheOffensiveEstimate) {
    SkillCardRecord record = cardWith(allies);
    record.bonuses[0] = 10;
    record.bonuses[1] = 9;
    record.bonuses[2] = -2;
    EXPECT_EQ(trialLine(supportive(record)), "1, 22; ");  // 20 + 9 - 3 - 4
}

TEST(SupportiveEstimate, SubTypeBeyondFifteenSpillsIntoTheNextCategory) {
    // Category 0, sub-type 17: key 0x11, cure paralysis.
    EXPECT_EQ(totalsLine(supportive({strength(0, 17, levelRatio, 10)})), "L:12, D: 0, Lp: 0, Dp: 0, M: 0");
}

struct MotionCase {
    const char* what;
    MotionRecord motion;
    const char* totals;
};

void PrintTo(const MotionCase& motionCase, std::ostream* out) {
    *out << motionCase.what;
}

class SupportiveWeight : public ::testing::TestWithParam<MotionCase> {};

TEST_P(SupportiveWeight, ChangesTheTotals) {
    EXPECT_EQ(totalsLine(supportive({GetParam().motion})), GetParam().totals) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    LifeAndPoison, SupportiveWeight,
    ::testing::Values(
        MotionCase{"life recovery, level ratio", strength(0, 0, levelRatio, 10), "L:10, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life recovery, direct", strength(0, 0, direct, 10), "L:0, D: 10, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life recovery, maximum", strength(0, 0, maximum, 0), "L:0, D: 400, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, level ratio", strength(0, 1, levelRatio, 10), "L:-10, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, holy, direct", strength(0, 1, direct, 10, attrHoly), "L:0, D: -10, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, maximum", strength(0, 1, maximum, 0), "L:0, D: -400, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, level ratio", strength(0, 2, levelRatio, 10), "L:-1, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, direct", strength(0, 2, direct, 10), "L:0, D: -1, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, maximum", strength(0, 2, maximum, 0), "L:0, D: -40, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"paralysis, level ratio", strength(1, 0, levelRatio, 10), "L:-180, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"paralysis, direct", strength(1, 0, direct, 10), "L:0, D: -180, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"paralysis, maximum", strength(1, 0, maximum, 0), "L:0, D: -720, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"cure paralysis, level ratio", strength(1, 1, levelRatio, 10), "L:12, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"cure paralysis, direct", strength(1, 1, direct, 10), "L:0, D: 12, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"cure paralysis, maximum", strength(1, 1, maximum, 0), "L:0, D: 48, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"poison, level ratio", strength(1, 2, levelRatio, 10), "L:0, D: 0, Lp: -10, Dp: 0, M: 0"},
        MotionCase{"poison, direct", strength(1, 2, direct, 10), "L:0, D: 0, Lp: 0, Dp: -10, M: 0"},
        MotionCase{"poison, maximum", strength(1, 2, maximum, 0), "L:0, D: 0, Lp: 0, Dp: -40, M: 0"},
        MotionCase{"cure poison, level ratio", strength(1, 3, levelRatio, 10), "L:0, D: 0, Lp: 10, Dp: 0, M: 0"},
        MotionCase{"cure poison, direct", strength(1, 3, direct, 10), "L:0, D: 0, Lp: 0, Dp: 10, M: 0"},
        MotionCase{"cure poison, maximum", strength(1, 3, maximum, 0), "L:0, D: 0, Lp: 0, Dp: 40, M: 0"}));

INSTANTIATE_TEST_SUITE_P(
    StatesAndMind, SupportiveWeight,
    ::testing::Values(
        MotionCase{"mental recovery", plain(2, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: 400"},
        MotionCase{"mental incapacity", plain(2, 1), "L:0, D: 0, Lp: 0, Dp: 0, M: -40"},
        MotionCase{"sleep, 5 rounds", lasting(3, 0, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -40"},
        MotionCase{"confusion, 5 rounds", lasting(3, 1, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -25"},
        MotionCase{"rage, 5 rounds", lasting(3, 2, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -10"},
        MotionCase{"bravery, 5 rounds", lasting(3, 3, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 20"},
        MotionCase{"panic, 5 rounds", lasting(3, 4, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -20"},
        MotionCase{"normal state", lasting(3, 5, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 10"},
        MotionCase{"bind, 5 rounds", lasting(4, 0, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -65"},
        MotionCase{"release bind", lasting(4, 1, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 12"},
        MotionCase{"silence, 5 rounds", lasting(4, 2, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -30"},
        MotionCase{"cure silence", lasting(4, 3, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 13"},
        MotionCase{"exposure, 5 rounds", lasting(4, 4, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -5"},
        MotionCase{"exposure, 9 rounds weighs the same", lasting(4, 4, 9), "L:0, D: 0, Lp: 0, Dp: 0, M: -5"},
        MotionCase{"cure exposure", lasting(4, 5, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 8"},
        MotionCase{"magic nullification, 5 rounds", lasting(4, 6, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 15"},
        MotionCase{"cure magic nullification", lasting(4, 7, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 15"}));

INSTANTIATE_TEST_SUITE_P(
    AbilitiesErasuresAndCards, SupportiveWeight,
    ::testing::Values(
        MotionCase{"action raised by 3 for 5 rounds", abilityChange(0, 3, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 15"},
        MotionCase{"action lowered by 2 for 5 rounds", abilityChange(0, -2, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -10"},
        MotionCase{"avoidance +10, 3 rounds", abilityChange(1, 10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 30"},
        MotionCase{"avoidance +5, 3 rounds", abilityChange(1, 5, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 4.5"},
        MotionCase{"avoidance -10, 3 rounds", abilityChange(1, -10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: -9"},
        MotionCase{"resistance +10, 3 rounds", abilityChange(2, 10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 30"},
        MotionCase{"resistance -4, 5 rounds", abilityChange(2, -4, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -6"},
        MotionCase{"defence +10, 3 rounds", abilityChange(3, 10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 45"},
        MotionCase{"defence +4, 3 rounds", abilityChange(3, 4, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 6"},
        MotionCase{"defence -10, 2 rounds", abilityChange(3, -10, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: -10"},
        MotionCase{"erase target", plain(6, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: -400"},
        MotionCase{"erase target, holy", plain(6, 0, attrHoly), "L:0, D: 0, Lp: 0, Dp: 0, M: -400"},
        MotionCase{"erase card", plain(6, 1), "L:0, D: 0, Lp: 0, Dp: 0, M: -1"},
        MotionCase{"erase summoned beast", plain(6, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: -40"},
        MotionCase{"deal normal attack", plain(7, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: 1"},
        MotionCase{"deal all-out blow", plain(7, 1), "L:0, D: 0, Lp: 0, Dp: 0, M: 1"},
        MotionCase{"deal critical", plain(7, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: 1"},
        MotionCase{"deal feint", plain(7, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 1"},
        MotionCase{"deal defend", plain(7, 4), "L:0, D: 0, Lp: 0, Dp: 0, M: 1"},
        MotionCase{"deal dodge", plain(7, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 1"},
        MotionCase{"deal confusion", plain(7, 6), "L:0, D: 0, Lp: 0, Dp: 0, M: -4"},
        MotionCase{"deal special skill", plain(7, 7), "L:0, D: 0, Lp: 0, Dp: 0, M: 40"}));

Working withoutTarget(const SkillCardRecord& record) {
    return workingOf(estimateNoTarget, record);
}

TEST(NoTargetEstimate, WithoutBonusesOnlyTheDeductionRemains) {
    const Working working = withoutTarget(cardWith(noTarget));
    EXPECT_EQ(working.text, "");
    EXPECT_NEAR(working.level, -4.0 / 14, tolerance);
}

TEST(NoTargetEstimate, AllBonusesTen) {
    SkillCardRecord record = cardWith(noTarget);
    record.bonuses[0] = record.bonuses[1] = record.bonuses[2] = 10;
    const Working working = withoutTarget(record);
    EXPECT_EQ(working.text, "");
    EXPECT_NEAR(working.level, 66.0 / 14, tolerance);
}

TEST(NoTargetEstimate, SilenceWeakensTheBonusesThemselves) {
    SkillCardRecord record = cardWith(noTarget);
    record.unusableWhenSilenced = true;
    record.bonuses[0] = 10;
    EXPECT_NEAR(withoutTarget(record).level, (20 * 0.8 - 4) / 14, tolerance);
}

TEST(NoTargetEstimate, MotionsDoNotCount) {
    SkillCardRecord record = cardWith(noTarget, {strength(0, 1, direct, 100), plain(2, 0)});
    record.bonuses[2] = 9;
    EXPECT_NEAR(withoutTarget(record).level, (13.5 - 4) / 14, tolerance);
}

}  // namespace
}  // namespace Vantorn
