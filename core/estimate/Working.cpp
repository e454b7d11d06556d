#include "estimate/Working.hpp"

#include <array>

#include "cards/SkillCard.hpp"

namespace Vantorn {
namespace {

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

}  // namespace

Totals weighMotions(const WeightTable& table, const std::vector<Motion>& motions) {
    Totals totals;
    weighEach(table, motions.data(), motions.data() + motions.size(), totals);
    return totals;
}

BonusPower::BonusPower(const SkillCard& card) : parts{} {
    for (std::size_t i = 0; i < bonusWeights.size(); ++i) {
        const BonusWeight& weight = bonusWeights[i];
        const std::int32_t bonus = card.bonuses[weight.index];
        parts[i] = bonus == bestBonus ? weight.whenTen : weight.perPoint * bonus;
    }
}

}  // namespace Vantorn
