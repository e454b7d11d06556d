#pragma once

// The parts that the offensive and the supportive estimate share: the constants of the
// power scale, the bonuses and the loop over trial levels.

#include <array>
#include <vector>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "estimate/Weights.hpp"

namespace Vantorn {

constexpr double powerMultiplier = 1.1;
constexpr double powerDeduction = 4;
constexpr double pointsPerLevel = 14;
constexpr int trialLevelCount = 10;

// Weighs every motion, in list order, into fresh totals.
Totals weighMotions(const WeightTable& table, const std::vector<Motion>& motions);

// A bonus of exactly 10, the largest, is worth more than its face value.
struct BonusWeight {
    std::size_t index;  // into the card's bonuses, as getBonus takes it
    double whenTen;
    double perPoint;
};

constexpr std::array<BonusWeight, 3> bonusWeights = {{
    {0, 20, 1},    // avoidance
    {1, 20, 1},    // resistance
    {2, 30, 1.5},  // defence
}};

// What the card's three bonuses add to a power, each in turn. Inline: the advice's
// search asks for it with every estimate.
struct BonusPower {
    explicit BonusPower(const SkillCard& card) : parts{} {
        for (std::size_t i = 0; i < bonusWeights.size(); ++i) {
            const BonusWeight& weight = bonusWeights[i];
            const std::int32_t bonus = card.bonuses[weight.index];
            parts[i] = bonus == bestBonus ? weight.whenTen : weight.perPoint * bonus;
        }
    }
    double addedTo(double power) const { return power + parts[0] + parts[1] + parts[2]; }
    double parts[3];
};

// How much a user of trial level i gets out of level-ratio amounts.
constexpr double levelFactor(int level) {
    return (level / 2.0 + 9) / 2;
}

// Tries the levels 1 to 10 and stops at the first whose power does not reach the next
// level; returns the power of the last level tried, in levels. `power` is given the
// level factor of the trial level; `tried` each trial level and its power.
template <class Power, class Tried>
double tryLevels(const Power& power, const Tried& tried) {
    constexpr double factors[trialLevelCount] = {levelFactor(1), levelFactor(2), levelFactor(3), levelFactor(4),
                                                 levelFactor(5), levelFactor(6), levelFactor(7), levelFactor(8),
                                                 levelFactor(9), levelFactor(10)};
    double h = 0;
    for (int level = 1; level <= trialLevelCount; ++level) {
        h = power(factors[level - 1]);
        tried(level, h);
        if (!(h / pointsPerLevel - level >= 1)) {
            break;
        }
    }
    return h / pointsPerLevel;
}

// The same, as a working with its totals and every trial level.
template <class Power>
LevelWorking tryLevels(const Totals& totals, const Power& power) {
    LevelWorking working{totals, {}, 0};
    working.level = tryLevels(power, [&](int level, double h) { working.trials.push_back({level, h}); });
    return working;
}

// The level alone, for callers that estimate many variants of a card; `trials`, where
// given, is set to the number of trial levels tried.
template <class Power>
double levelOfTrials(const Power& power, int* trials = nullptr) {
    int last = 0;
    const double level = tryLevels(power, [&last](int tried, double) { last = tried; });
    if (trials != nullptr) *trials = last;
    return level;
}

}  // namespace Vantorn
