
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "estimate/Working.hpp"

namespace Vantorn {
namespace {

// Curing more poison than this is worth nothing more; causing it is not limited.
constexpr double poisonCap = 40;
// Poison, and curing it, enters linearly here, slightly above life.
constexpr double poisonWeight = 1.2;

constexpr double silencedFactor = 0.8;

Totals supportiveTotals(Totals totals) {
    if (totals.Dp > poisonCap) {
        totals.Dp = poisonCap;
    }
    return totals;
}

// The card's power at a trial level of factor f. What does not depend on the level is
// found once, and applied in this order whatever the level.
auto supportivePower(const SkillCard& card, const Totals& totals) {
    const double a = totals.Lp * poisonWeight + totals.L;
    const double b = totals.Dp * poisonWeight + totals.D;
    // The sum is an integer: a modifier of 0 halves the power, -5 takes it all away.
    const double success = (card.successModifier + 5) / 10.0;
    return [a, b, m = totals.M, all = card.targetsAll, success, silenced = card.unusableWhenSilenced,
            bonuses = BonusPower(card)](double f) {
        double h = (a * f + b) * powerMultiplier + m;
        if (all) {
            h = h * 4;
        }
        h = success * h;
        if (silenced) {
            h = h * silencedFactor;
        }
        return bonuses.addedTo(h) - powerDeduction;
    };
}

}  // namespace

LevelWorking estimateSupportive(const SkillCard& card) {
    const Totals totals = supportiveTotals(weighMotions(supportiveWeights, card.motions));
    return tryLevels(totals, supportivePower(card, totals));
}

double supportiveLevel(const SkillCard& card, const Totals& weighed, int* trials) {
    return levelOfTrials(supportivePower(card, supportiveTotals(weighed)), trials);
}

double estimateNoTarget(const SkillCard& card) {
    double s = BonusPower(card).addedTo(0);
    // Here the silence factor weakens the bonuses too.
    if (card.unusableWhenSilenced) {
        s = s * silencedFactor;
    }
    return (s - powerDeduction) / pointsPerLevel;
}

}  // namespace Vantorn
