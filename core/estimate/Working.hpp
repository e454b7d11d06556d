#pragma once

// The parts that the offensive and the supportive estimate share: the constants of the
// power scale, the totals line, the bonuses and the loop over trial levels.

#include <ostream>
#include <vector>

#include "estimate/Real.hpp"
#include "estimate/Weights.hpp"

namespace Vantorn {

class Motion;
class SkillCard;

constexpr double powerMultiplier = 1.1;
constexpr double powerDeduction = 4;
constexpr double pointsPerLevel = 14;
constexpr int trialLevelCount = 10;
constexpr std::streamsize workingPrecision = 4;

// Weighs every motion, in list order, into fresh totals.
Totals weighMotions(const WeightTable& table, const std::vector<Motion>& motions);

// The line "L:…, D: …, Lp: …, Dp: …, M: …", with the stream's precision.
void writeTotals(std::ostream& out, const Totals& totals);

// The power with the card's three bonuses added, one after the other.
double addBonuses(double power, const SkillCard& card);

// How much a user of trial level i gets out of level-ratio amounts.
inline double levelFactor(int level) {
    return (level / 2.0 + 9) / 2;
}

// Tries the levels 1 to 10, writing "i, power; " for each, and stops at the first whose
// power does not reach the next level. Returns the power of the last level tried.
// `power` is given the level factor of the trial level.
template <class Power>
double tryLevels(std::ostream& out, const Power& power) {
    double h = 0;
    for (int level = 1; level <= trialLevelCount; ++level) {
        h = power(levelFactor(level));
        out << level << ", " << Real{h} << "; ";
        if (!(h / pointsPerLevel - level >= 1)) {
            break;
        }
    }
    out << '\n' << std::flush;
    return h;
}

}  // namespace Vantorn
