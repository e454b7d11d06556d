
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

Totals supportiveTotals(const SkillCard& card) {
    Totals totals = weighMotions(supportiveWeights, card.motions);
    if (totals.Dp > poisonCap) {
        totals.Dp = poisonCap;
    }
    return totals;
}

// The card's power at a trial level of factor f.
auto supportivePower(const SkillCard& card, const Totals& totals) {
    return [&card, totals](double f) {
        const double a = totals.Lp * poisonWeight + totals.L;
        const double b = totals.Dp * poisonWeight + totals.D;
        double h = (a * f + b) * powerMultiplier + totals.M;
        if (card.targetsAll) {
            h = h * 4;
        }
        // The sum is an integer: a modifier of 0 halves the power, -5 takes it all away.
        h = ((card.successModifier + 5) / 10.0) * h;
        if (card.unusableWhenSilenced) {
            h = h * silencedFactor;
        }
        return addBonuses(h, card) - powerDeduction;
    };
}

}  // namespace

LevelWorking estimateSupportive(const SkillCard& card) {
    const Totals totals = supportiveTotals(card);
    return tryLevels(totals, supportivePower(card, totals));
}

double supportiveLevel(const SkillCard& card, int* trials) {
    return levelOfTrials(supportivePower(card, supportiveTotals(card)), trials);
}

double estimateNoTarget(const SkillCard& card) {
    double s = addBonuses(0, card);
    // Here the silence factor weakens the bonuses too.
    if (card.unusableWhenSilenced) {
        s = s * silencedFactor;
    }
    return (s - powerDeduction) / pointsPerLevel;
}

}  // namespace Vantorn
