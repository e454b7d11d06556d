#pragma once

#include <array>
#include <cstdint>

namespace Vantorn {

class Motion;

// The five running totals that the motions of a card are weighed into.
struct Totals {
    double L = 0;   // life, as a ratio of the user's level
    double D = 0;   // life given directly, and the fixed amounts of maximum effects
    double Lp = 0;  // poison, as a ratio of the user's level
    double Dp = 0;  // poison given directly
    double M = 0;   // states, mental effects, ability changes, erasures, dealt cards
};

// A bonus of exactly this, the largest, is worth more than its face value.
constexpr std::int32_t bestBonus = 10;

// Sleep is weighed at full rate for this many rounds, at the special rate after.
constexpr double fullSleepRounds = 3;

// How one effect changes the totals; `amount` and `special` mean what the rule says.
enum class Rule : unsigned char {
    none,              // changes nothing
    life,              // levelRatio: L += amount × value; direct: D += amount × value; maximum: D += special
    poison,            // levelRatio: Lp += amount × value; direct: Dp += amount × value; maximum: Dp = special
    fixed,             // M += amount
    perRound,          // M += amount × rounds
    sleep,             // up to 3 rounds: M += amount × rounds; past 3, each further round adds special
    perRoundAndValue,  // M += amount × rounds × value
    loweringAbility,   // value exactly -10: M += special × rounds; otherwise as perRoundAndValue
    raisingAbility,    // value exactly +10: M += special × rounds; otherwise as perRoundAndValue
};

struct Weight {
    constexpr Weight(Rule rule = Rule::none, double amount = 0, double special = 0)
        : rule(rule), amount(amount), special(special) {}

    Rule rule;
    double amount;
    double special;
};

// Bit sets of motion elements (attr).
constexpr std::uint32_t holy = 1u << 3;
constexpr std::uint32_t magic = 1u << 4;

// One (category, subType) of an estimator: its weight, and the weight that replaces it
// when the motion's element is one of `elements`. Made from a weight column of
// cards/Effects.def.
struct Cell {
    constexpr Cell(Rule rule = Rule::none, double amount = 0, double special = 0, std::uint32_t elements = 0,
                   Rule elementRule = Rule::none, double elementAmount = 0, double elementSpecial = 0)
        : weight(rule, amount, special),
          elements(elements),
          elementWeight(elements ? Weight(elementRule, elementAmount, elementSpecial) : weight) {}

    Weight weight;
    std::uint32_t elements = 0;
    Weight elementWeight;
};

// Rows by category, columns by subType.
using WeightTable = std::array<std::array<Cell, 8>, 8>;

extern const WeightTable offensiveWeights;
extern const WeightTable supportiveWeights;

// Applies the motion's cell of the table to the totals. The cell is found through the
// key (category << 4) | subType on the 32-bit values: keys above 0x77, and keys whose
// low four bits are 8 or more, have no cell; a subType of 16 or more thus selects the
// cell its bits spell together with the category (category 0, subType 17 is (1, 1)).
void weigh(const WeightTable& table, const Motion& motion, Totals& totals);
// The same for each motion from `first` up to `last`, in order.
void weighEach(const WeightTable& table, const Motion* first, const Motion* last, Totals& totals);
// The rule by which `weigh` applies the motion (none where its key has no cell).
Rule ruleOf(const WeightTable& table, const Motion& motion);

}  // namespace Vantorn
