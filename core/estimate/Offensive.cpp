#include <array>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "estimate/Working.hpp"

namespace Vantorn {
namespace {

// Poison cannot be worth more than this much at any level.
constexpr double poisonCap = 40;

// By effectAttribute: physical, magical, magical-physical, physical-magical.
constexpr std::array<double, 4> attributeFactors = {1, 1.05, 1.25, 0.75};

// A success modifier of 5 is worth more than the general rule would give (1.625).
constexpr std::int32_t favouredSuccessModifier = 5;
constexpr double favouredSuccessFactor = 2.5;

}  // namespace

namespace {

// The card's power at a trial level of factor f. The card's factors are found once;
// they are applied one at a time, in this order, whatever the level.
auto offensivePower(const SkillCard& card, const Totals& totals) {
    const double success = card.successModifier == favouredSuccessModifier ? favouredSuccessFactor
                                                                            : card.successModifier / 8.0 + 1;
    const double attribute = attributeFactors[card.effectAttribute];
    return [totals, all = card.targetsAll, success, silenced = card.unusableWhenSilenced, attribute,
            bonuses = BonusPower(card)](double f) {
        double poison = totals.Lp * f + totals.Dp;
        if (poison > poisonCap) {
            poison = poisonCap;
        }
        // Poison grows faster than its strength: it weighs as the triangular number of it.
        double h = ((totals.L * f + totals.D) + (poison + 1) * poison / 2) * powerMultiplier + totals.M;
        if (all) {
            h = h * 4;
        }
        h = success * h;
        if (silenced) {
            h = h * 0.8;
        }
        h = h * attribute;
        return bonuses.addedTo(h) - powerDeduction;
    };
}

}  // namespace

LevelWorking estimateOffensive(const SkillCard& card) {
    const Totals totals = weighMotions(offensiveWeights, card.motions);
    return tryLevels(totals, offensivePower(card, totals));
}

double offensiveLevel(const SkillCard& card, const Totals& weighed, int* trials) {
    return levelOfTrials(offensivePower(card, weighed), trials);
}

}  // namespace Vantorn
