#pragma once

// The parts that the offensive and the supportive estimate share: the constants of the
// power scale, the bonuses and the loop over trial levels.

#include <vector>

#include "estimate/Estimate.hpp"
#include "estimate/Weights.hpp"

namespace Vantorn {

class Motion;
class SkillCard;

constexpr double powerMultiplier = 1.1;
constexpr double powerDeduction = 4;
constexpr double pointsPerLevel = 14;
constexpr int trialLevelCount = 10;

// Weighs every motion, in list order, into fresh totals.
Totals weighMotions(const WeightTable& table, const std::vector<Motion>& motions);

// The power with the card's three bonuses added, one after the other.
double addBonuses(double power, const SkillCard& card);

// How much a user of trial level i gets out of level-ratio amounts.
inline double levelFactor(int level) {
    return (level / 2.0 + 9) / 2;
}

// Tries the levels 1 to 10 and stops at the first whose power does not reach the next
// level; the level of the working is the power of the last level tried, in levels.
// `power` is given the level factor of the trial level.
template <class Power>
LevelWorking tryLevels(const Totals& totals, const Power& power) {
    LevelWorking working{totals, {}, 0};
    double h = 0;
    for (int level = 1; level <= trialLevelCount; ++level) {
        h = power(levelFactor(level));
        working.trials.push_back({level, h});
        if (!(h / pointsPerLevel - level >= 1)) {
            break;
        }
    }
    working.level = h / pointsPerLevel;
    return working;
}

}  // namespace Vantorn
