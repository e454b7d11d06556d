#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "estimate/EstimateTesting.hpp"

namespace Vantorn {
namespace {

using namespace testing;

constexpr double tolerance = 1e-9;

Working offensive(const SkillCardRecord& record) {
    return workingOf(estimateOffensive, record);
}

Working offensive(std::vector<MotionRecord> motions) {
    return offensive(cardWith(enemies, std::move(motions)));
}

// The second line of a working: the trial levels.
std::string trialLine(const Working& working) {
    const std::size_t start = working.text.find('\n') + 1;
    return working.text.substr(start, working.text.find('\n', start) - start);
}

std::string tenTrials(const std::string& power) {
    std::string line;
    for (int level = 1; level <= 10; ++level) line += std::to_string(level) + ", " + power + "; ";
    return line;
}

TEST(OffensiveEstimate, CardWithoutMotionsOnlyLosesTheDeduction) {
    const Working working = offensive(std::vector<MotionRecord>{});
    EXPECT_EQ(working.text, "L:0, D: 0, Lp: 0, Dp: 0, M: 0\n1, -4; \n");
    EXPECT_NEAR(working.level, -4.0 / 14, tolerance);
}

TEST(OffensiveEstimate, LevelRatioDamageGrowsWithTheTrialLevel) {
    const Working working = offensive({strength(0, 1, levelRatio, 10, attrBody)});
    EXPECT_EQ(working.text, "L:10, D: 0, Lp: 0, Dp: 0, M: 0\n1, 48.25; 2, 51; 3, 53.75; \n");
    EXPECT_NEAR(working.level, 53.75 / 14, tolerance);
}

TEST(OffensiveEstimate, PoisonCountsAsATriangularNumber) {
    const Working working = offensive({strength(1, 2, levelRatio, 2)});
    EXPECT_EQ(working.text,
              "L:0, D: 0, Lp: 2, Dp: 0, M: 0\n1, 50.86; 2, 56.5; 3, 62.41; 4, 68.6; \n");
    EXPECT_NEAR(working.level, 4.9, tolerance);
}

TEST(OffensiveEstimate, CappedPoisonTriesAllTenLevelsAndNoMore) {
    const Working working = offensive({strength(1, 2, levelRatio, 10)});
    EXPECT_EQ(totalsLine(working), "L:0, D: 0, Lp: 10, Dp: 0, M: 0");
    // Still a level ahead after the tenth trial, and yet the loop ends there.
    EXPECT_EQ(trialLine(working), tenTrials("898"));
    EXPECT_NEAR(working.level, 898.0 / 14, tolerance);
}

TEST(OffensiveEstimate, MaximumPoisonSetsAndLaterDirectPoisonAddsToIt) {
    const Working working = offensive({strength(1, 2, maximum, 0), strength(1, 2, direct, 5)});
    EXPECT_EQ(totalsLine(working), "L:0, D: 0, Lp: 0, Dp: 45, M: 0");
    EXPECT_EQ(trialLine(working), tenTrials("898"));  // the cap holds inside the loop
}

TEST(OffensiveEstimate, MaximumPoisonDiscardsEarlierDirectPoison) {
    const Working working = offensive({strength(1, 2, direct, 5), strength(1, 2, maximum, 0)});
    EXPECT_EQ(totalsLine(working), "L:0, D: 0, Lp: 0, Dp: 40, M: 0");
}

TEST(OffensiveEstimate, SuccessModifierFiveHasAFactorOfItsOwn) {
    SkillCardRecord record = cardWith(enemies, {strength(0, 1, direct, 10)});
    record.successModifier = 5;
    Working working = offensive(record);
    EXPECT_EQ(trialLine(working), "1, 23.5; ");
    EXPECT_NEAR(working.level, 23.5 / 14, tolerance);

    record.successModifier = 4;
    working = offensive(record);
    EXPECT_EQ(trialLine(working), "1, 12.5; ");
}

TEST(OffensiveEstimate, NegativeSuccessModifierTurnsThePowerNegative) {
    SkillCardRecord record = cardWith(enemies, {strength(0, 1, direct, 10)});
    record.successModifier = -8;
    EXPECT_EQ(trialLine(offensive(record)), "1, -4; ");
    record.successModifier = -10;
    EXPECT_EQ(trialLine(offensive(record)), "1, -6.75; ");
}

TEST(OffensiveEstimate, LongSleepAndDirectDamage) {
    const Working working = offensive({lasting(3, 0, 5), strength(0, 1, direct, 10)});
    EXPECT_EQ(working.text, "L:0, D: 10, Lp: 0, Dp: 0, M: 30\n1, 37; 2, 37; \n");
    EXPECT_NEAR(working.level, 37.0 / 14, tolerance);
}

TEST(OffensiveEstimate, AllTargetsQuadruplesThePower) {
    SkillCardRecord record = cardWith(enemies, {strength(0, 1, direct, 10)});
    record.targetsAll = true;
    const Working working = offensive(record);
    EXPECT_EQ(trialLine(working), "1, 40; 2, 40; ");
    EXPECT_NEAR(working.level, 40.0 / 14, tolerance);
}

TEST(OffensiveEstimate, SilenceWeakensThePowerButNotTheBonuses) {
    SkillCardRecord record = cardWith(enemies, {strength(0, 1, direct, 10)});
    record.unusableWhenSilenced = true;
    EXPECT_EQ(trialLine(offensive(record)), "1, 4.8; ");
    record.bonuses[0] = 10;
    EXPECT_EQ(trialLine(offensive(record)), "1, 24.8; ");
}

TEST(OffensiveEstimate, EffectAttributeScalesThePower) {
    const char* const expected[] = {"1, 7; ", "1, 7.55; ", "1, 9.75; ", "1, 4.25; "};
    for (std::uint8_t attribute = 0; attribute < 4; ++attribute) {
        SkillCardRecord record = cardWith(enemies, {strength(0, 1, direct, 10)});
        record.effectAttribute = attribute;
        EXPECT_EQ(trialLine(offensive(record)), expected[attribute]) << "effect attribute " << +attribute;
    }
}

TEST(OffensiveEstimate, FactorsMultiplyBeforeTheBonusesAreAdded) {
    SkillCardRecord record = cardWith(enemies, {strength(0, 1, direct, 10)});
    record.targetsAll = true;
    record.successModifier = 4;
    record.unusableWhenSilenced = true;
    record.effectAttribute = 2;
    record.bonuses[2] = 9;
    EXPECT_EQ(trialLine(offensive(record)), "1, 75.5; 2, 75.5; 3, 75.5; 4, 75.5; 5, 75.5; ");
}

struct BonusCase {
    std::int32_t avoidance, resistance, defence;
    const char* trials;
};

void PrintTo(const BonusCase& bonusCase, std::ostream* out) {
    *out << "bonuses " << bonusCase.avoidance << ", " << bonusCase.resistance << ", " << bonusCase.defence;
}

class OffensiveBonus : public ::testing::TestWithParam<BonusCase> {};

TEST_P(OffensiveBonus, AddsToThePower) {
    SkillCardRecord record = cardWith(enemies);
    record.bonuses[0] = GetParam().avoidance;
    record.bonuses[1] = GetParam().resistance;
    record.bonuses[2] = GetParam().defence;
    EXPECT_EQ(trialLine(offensive(record)), GetParam().trials);
}

INSTANTIATE_TEST_SUITE_P(
    OffensiveEstimate, OffensiveBonus,
    ::testing::Values(BonusCase{10, 0, 0, "1, 16; "},  // exactly 10 is worth 20
                      BonusCase{0, 10, 0, "1, 16; "},
                      BonusCase{0, 0, 10, "1, 26; "},  // and 30 for defence
                      BonusCase{9, 0, 0, "1, 5; "},
                      BonusCase{0, 9, 0, "1, 5; "},
                      BonusCase{0, 0, 9, "1, 9.5; "},  // defence counts one and a half
                      BonusCase{10, 10, 10, "1, 66; 2, 66; 3, 66; 4, 66; "},
                      BonusCase{-3, -2, -4, "1, -15; "}));

TEST(OffensiveEstimate, HugeAmountsAreWrittenInExponentNotation) {
    const std::int32_t most = std::numeric_limits<std::int32_t>::max();
    Working working = offensive({strength(0, 1, direct, most)});
    EXPECT_EQ(totalsLine(working), "L:0, D: 2.147e+09, Lp: 0, Dp: 0, M: 0");
    EXPECT_EQ(trialLine(working), tenTrials("2.362e+09"));

    working = offensive({strength(0, 0, direct, most)});
    EXPECT_EQ(totalsLine(working), "L:0, D: -2.147e+09, Lp: 0, Dp: 0, M: 0");
    EXPECT_EQ(trialLine(working), "1, -2.362e+09; ");
}

// A card with one motion, and the totals line that the motion must give.
struct MotionCase {
    const char* what;
    MotionRecord motion;
    const char* totals;
};

void PrintTo(const MotionCase& motionCase, std::ostream* out) {
    *out << motionCase.what;
}

// Which cell a motion falls into: the key is (category << 4) | subType, bitwise.

class OffensiveKey : public ::testing::TestWithParam<MotionCase> {};

TEST_P(OffensiveKey, SelectsTheCellItsBitsSpell) {
    EXPECT_EQ(totalsLine(offensive({GetParam().motion})), GetParam().totals) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    OffensiveEstimate, OffensiveKey,
    ::testing::Values(
        MotionCase{"sub-type 8 has no cell", strength(0, 8, levelRatio, 10), "L:0, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"low bits 10 have no cell", strength(0, 0x1A, levelRatio, 10), "L:0, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"keys above 0x77 have no cell", strength(0, 0x80, levelRatio, 10), "L:0, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"bits already set stay (1, 2)", strength(1, 0x12, levelRatio, 10), "L:0, D: 0, Lp: 10, Dp: 0, M: 0"},
        MotionCase{"category 3 with sub-type 0x10 is sleep", lasting(3, 0x10, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: 16"},
        MotionCase{"category 4 with sub-type 0x30 deals the normal attack", lasting(4, 0x30, 9), "L:0, D: 0, Lp: 0, Dp: 0, M: 3"},
        MotionCase{"category 7 with sub-type 0x10 stays (7, 0)", plain(7, 0x10), "L:0, D: 0, Lp: 0, Dp: 0, M: 3"}));

// One card per weight of the table.

class OffensiveWeight : public ::testing::TestWithParam<MotionCase> {};

TEST_P(OffensiveWeight, ChangesTheTotals) {
    EXPECT_EQ(totalsLine(offensive({GetParam().motion})), GetParam().totals) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    LifeAndPoison, OffensiveWeight,
    ::testing::Values(
        MotionCase{"life recovery, level ratio", strength(0, 0, levelRatio, 10), "L:-10, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life recovery, direct", strength(0, 0, direct, 10), "L:0, D: -10, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life recovery, maximum", strength(0, 0, maximum, 0), "L:0, D: -100, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, fire, level ratio", strength(0, 1, levelRatio, 10, attrFire), "L:10, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, body, direct", strength(0, 1, direct, 10, attrBody), "L:0, D: 10, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, all, maximum", strength(0, 1, maximum, 0), "L:0, D: 200, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, holy, level ratio", strength(0, 1, levelRatio, 10, attrHoly), "L:5, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, magic, direct", strength(0, 1, direct, 10, attrMagic), "L:0, D: 5, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, holy, maximum", strength(0, 1, maximum, 0, attrHoly), "L:0, D: 100, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life damage, magic, maximum", strength(0, 1, maximum, 0, attrMagic), "L:0, D: 100, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, body, level ratio", strength(0, 2, levelRatio, 10, attrBody), "L:20, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, all, direct", strength(0, 2, direct, 10), "L:0, D: 20, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, fire, maximum", strength(0, 2, maximum, 0, attrFire), "L:0, D: 400, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, holy, level ratio", strength(0, 2, levelRatio, 10, attrHoly), "L:10, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, magic, direct", strength(0, 2, direct, 10, attrMagic), "L:0, D: 10, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"life drain, holy, maximum", strength(0, 2, maximum, 0, attrHoly), "L:0, D: 200, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"paralysis, level ratio", strength(1, 0, levelRatio, 10), "L:180, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"paralysis, direct", strength(1, 0, direct, 10), "L:0, D: 180, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"paralysis, maximum", strength(1, 0, maximum, 0), "L:0, D: 720, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"cure paralysis, level ratio", strength(1, 1, levelRatio, 10), "L:0, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"cure paralysis, maximum", strength(1, 1, maximum, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"poison, level ratio", strength(1, 2, levelRatio, 10), "L:0, D: 0, Lp: 10, Dp: 0, M: 0"},
        MotionCase{"poison, direct", strength(1, 2, direct, 10), "L:0, D: 0, Lp: 0, Dp: 10, M: 0"},
        MotionCase{"poison, maximum", strength(1, 2, maximum, 0), "L:0, D: 0, Lp: 0, Dp: 40, M: 0"},
        MotionCase{"cure poison, direct", strength(1, 3, direct, 10), "L:0, D: 0, Lp: 0, Dp: 0, M: 0"},
        MotionCase{"cure poison, maximum", strength(1, 3, maximum, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: 0"}));

INSTANTIATE_TEST_SUITE_P(
    StatesAndMind, OffensiveWeight,
    ::testing::Values(
        MotionCase{"mental recovery", plain(2, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: -2"},
        MotionCase{"mental incapacity", plain(2, 1), "L:0, D: 0, Lp: 0, Dp: 0, M: 40"},
        MotionCase{"sleep, 2 rounds", lasting(3, 0, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: 16"},
        MotionCase{"sleep, 3 rounds", lasting(3, 0, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 24"},
        MotionCase{"sleep, 4 rounds", lasting(3, 0, 4), "L:0, D: 0, Lp: 0, Dp: 0, M: 27"},
        MotionCase{"confusion, 5 rounds", lasting(3, 1, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 35"},
        MotionCase{"rage, 5 rounds", lasting(3, 2, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 10"},
        MotionCase{"bravery, 5 rounds", lasting(3, 3, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -5"},
        MotionCase{"panic, 5 rounds", lasting(3, 4, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 20"},
        MotionCase{"normal state, whatever the rounds", lasting(3, 5, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -5"},
        MotionCase{"bind, 5 rounds", lasting(4, 0, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 60"},
        MotionCase{"release bind", lasting(4, 1, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -5"},
        MotionCase{"silence, 5 rounds", lasting(4, 2, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 30"},
        MotionCase{"cure silence", lasting(4, 3, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -6"},
        MotionCase{"exposure, 5 rounds", lasting(4, 4, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 5"},
        MotionCase{"cure exposure", lasting(4, 5, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -2"},
        MotionCase{"magic nullification, 5 rounds", lasting(4, 6, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 10"},
        MotionCase{"cure magic nullification", lasting(4, 7, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -2"}));

INSTANTIATE_TEST_SUITE_P(
    AbilitiesErasuresAndCards, OffensiveWeight,
    ::testing::Values(
        MotionCase{"action raised by 3 for 5 rounds", abilityChange(0, 3, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -15"},
        MotionCase{"action lowered by 2 for 5 rounds", abilityChange(0, -2, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 10"},
        MotionCase{"avoidance -10, 3 rounds", abilityChange(1, -10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 30"},
        MotionCase{"avoidance -5, 3 rounds", abilityChange(1, -5, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 4.5"},
        MotionCase{"avoidance +10, 3 rounds", abilityChange(1, 10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: -9"},
        MotionCase{"resistance -10, 3 rounds", abilityChange(2, -10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 30"},
        MotionCase{"resistance +4, 5 rounds", abilityChange(2, 4, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: -6"},
        MotionCase{"defence -10, 3 rounds", abilityChange(3, -10, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 45"},
        MotionCase{"defence -4, 3 rounds", abilityChange(3, -4, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 6"},
        MotionCase{"defence +10, 2 rounds", abilityChange(3, 10, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: -10"},
        MotionCase{"erase target, all", plain(6, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: 400"},
        MotionCase{"erase target, holy", plain(6, 0, attrHoly), "L:0, D: 0, Lp: 0, Dp: 0, M: 20"},
        MotionCase{"erase target, magic", plain(6, 0, attrMagic), "L:0, D: 0, Lp: 0, Dp: 0, M: 400"},
        MotionCase{"erase card", plain(6, 1), "L:0, D: 0, Lp: 0, Dp: 0, M: 2"},
        MotionCase{"erase summoned beast", plain(6, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: 80"},
        MotionCase{"deal normal attack", plain(7, 0), "L:0, D: 0, Lp: 0, Dp: 0, M: 3"},
        MotionCase{"deal all-out blow", plain(7, 1), "L:0, D: 0, Lp: 0, Dp: 0, M: 2"},
        MotionCase{"deal critical", plain(7, 2), "L:0, D: 0, Lp: 0, Dp: 0, M: 2"},
        MotionCase{"deal feint", plain(7, 3), "L:0, D: 0, Lp: 0, Dp: 0, M: 2"},
        MotionCase{"deal defend", plain(7, 4), "L:0, D: 0, Lp: 0, Dp: 0, M: 3"},
        MotionCase{"deal dodge", plain(7, 5), "L:0, D: 0, Lp: 0, Dp: 0, M: 4"},
        MotionCase{"deal confusion", plain(7, 6), "L:0, D: 0, Lp: 0, Dp: 0, M: 7"},
        MotionCase{"deal special skill", plain(7, 7), "L:0, D: 0, Lp: 0, Dp: 0, M: -5"}));

}  // namespace
}  // namespace Vantorn
