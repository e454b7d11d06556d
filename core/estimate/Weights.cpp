#include "estimate/Weights.hpp"

#include "cards/Motion.hpp"

namespace Vantorn {
namespace {

constexpr Rule none = Rule::none;
constexpr Rule life = Rule::life;
constexpr Rule poison = Rule::poison;
constexpr Rule fixed = Rule::fixed;
constexpr Rule perRound = Rule::perRound;
constexpr Rule sleep = Rule::sleep;
constexpr Rule perRoundAndValue = Rule::perRoundAndValue;
constexpr Rule loweringAbility = Rule::loweringAbility;
constexpr Rule raisingAbility = Rule::raisingAbility;

constexpr std::uint32_t holyOrMagic = holy | magic;

// The largest possible change of an ability, which earns a weight of its own.
constexpr double extremeAbilityChange = 10;

struct WeightCells {
    int category;
    int subType;
    Cell offensive;
    Cell supportive;
};

// Each column's arguments are those of a Cell.
constexpr WeightCells weightCells[] = {
#define EFFECT(category, subType, name, form, offensive, supportive) {category, subType, Cell offensive, Cell supportive},
#include "cards/Effects.def"
};

// An estimator's column as its table; categories past the table are never weighed.
constexpr WeightTable tableOf(Cell WeightCells::*column) {
    WeightTable table{};
    for (const WeightCells& cells : weightCells) {
        if (cells.category < static_cast<int>(table.size())) table[cells.category][cells.subType] = cells.*column;
    }
    return table;
}

}  // namespace

constexpr WeightTable offensiveWeights = tableOf(&WeightCells::offensive);
constexpr WeightTable supportiveWeights = tableOf(&WeightCells::supportive);

namespace {

const Cell* cellOf(const WeightTable& table, const Motion& motion) {
    // Unsigned, so that the bits decide alone: a key with its top bit set is simply large.
    const std::uint32_t key =
        (static_cast<std::uint32_t>(motion.category) << 4) | static_cast<std::uint32_t>(motion.subType);
    if (key > 0x77 || key % 16 >= 8) {
        return nullptr;
    }
    return &table[key / 16][key % 16];
}

bool hasElement(std::uint32_t elements, std::int32_t attr) {
    return attr >= 0 && attr < 32 && (elements >> attr & 1u) != 0;
}

void weighStrength(double amount, double maximum, ValueType valueType, double value,
                   double& ratioTotal, double& directTotal, bool maximumSets) {
    switch (valueType) {
    case ValueType::levelRatio: ratioTotal += amount * value; break;
    case ValueType::direct: directTotal += amount * value; break;
    case ValueType::maximum:
        if (maximumSets) {
            directTotal = maximum;
        } else {
            directTotal += maximum;
        }
        break;
    default: break;
    }
}

}  // namespace

namespace {

// The weight that applies to the motion, or none where its key has no cell.
const Weight* weightOf(const WeightTable& table, const Motion& motion) {
    const Cell* cell = cellOf(table, motion);
    if (cell == nullptr) {
        return nullptr;
    }
    return hasElement(cell->elements, motion.attr) ? &cell->elementWeight : &cell->weight;
}

}  // namespace

Rule ruleOf(const WeightTable& table, const Motion& motion) {
    const Weight* weight = weightOf(table, motion);
    return weight == nullptr ? Rule::none : weight->rule;
}

void weigh(const WeightTable& table, const Motion& motion, Totals& totals) {
    const Weight* found = weightOf(table, motion);
    if (found == nullptr) {
        return;
    }
    const Weight& weight = *found;
    const double value = motion.value;
    const double rounds = motion.rounds;
    switch (weight.rule) {
    case Rule::none: break;
    case Rule::life:
        weighStrength(weight.amount, weight.special, motion.valueType, value, totals.L, totals.D, false);
        break;
    case Rule::poison:
        // A maximum poison replaces whatever direct poison came before it.
        weighStrength(weight.amount, weight.special, motion.valueType, value, totals.Lp, totals.Dp, true);
        break;
    case Rule::fixed: totals.M += weight.amount; break;
    case Rule::perRound: totals.M += weight.amount * rounds; break;
    case Rule::sleep:
        if (rounds > fullSleepRounds) {
            totals.M += (rounds - fullSleepRounds) * weight.special + weight.amount * fullSleepRounds;
        } else {
            totals.M += weight.amount * rounds;
        }
        break;
    case Rule::perRoundAndValue: totals.M += weight.amount * rounds * value; break;
    case Rule::loweringAbility:
    case Rule::raisingAbility: {
        const double extreme = weight.rule == Rule::loweringAbility ? -extremeAbilityChange
                                                                    : extremeAbilityChange;
        if (value == extreme) {
            totals.M += weight.special * rounds;
        } else {
            totals.M += weight.amount * rounds * value;
        }
        break;
    }
    }
}

void weighEach(const WeightTable& table, const Motion* first, const Motion* last, Totals& totals) {
    for (; first != last; ++first) weigh(table, *first, totals);
}

}  // namespace Vantorn
