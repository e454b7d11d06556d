#pragma once

// Advice on balance: for a card whose estimate is off the level it carries, the single
// changes that bring it into balance, else the fewest changes that do together, else
// the change that comes closest; last, stating the level the estimate rounds to.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Vantorn {

class SkillCard;
struct LevelEstimate;

// The fields a piece of advice changes. `motion` is a removal of the whole motion.
enum class AdviceField : unsigned char {
    value,
    rounds,
    motion,
    successModifier,
    avoidanceBonus,
    resistanceBonus,
    defenceBonus,
    targetsAll,
    effectAttribute,
    unusableWhenSilenced,
    level,
};

struct AdviceChange {
    AdviceField field = AdviceField::level;
    int motion = -1;  // the motion's place among the card's motions as read, for its fields
    std::int32_t from = 0;
    std::optional<std::int32_t> to;  // none for a removal

    // From and to are true or false (0 or 1 here).
    bool flag() const;
    // Where the value lives in the card's JSON entry (RFC 6901): "/motions/2/value", ….
    std::string pointer() const;
};

struct Advice {
    std::vector<AdviceChange> changes;  // one to three, applied together
    double estimate = 0;                // the estimated level after the changes
    bool balanced = false;
    std::string text;                   // CP932: "生命力ダメージ(炎): Lv比8 → Lv比5 で推定Lv 3.02"
};

// A card is in balance when its estimate is within this of the level it carries.
constexpr double balanceTolerance = 0.5;
bool inBalance(double estimate, std::int32_t statedLevel);

// How the search walks a wide field: by bisection where the estimate allows it, or value
// by value, the slow reference that bisection must agree with (and the only walk not
// bounded per card).
enum class AdviceWalk : unsigned char { bisecting, stepping };

// How much of the advice is wanted: all of it, or its first piece alone, as the
// summary's column shows it. The first piece is the same either way; alone, it is found
// with less search.
enum class AdviceExtent : unsigned char { all, first };

// The advice for a card read whole and its estimate, in order (see adviseOn's notes in
// AdviceSearch.cpp). None for a card in balance, without an estimate, or with fields so
// extreme that no claim about them could be trusted.
std::vector<Advice> adviseOn(const SkillCard& card, const LevelEstimate& estimate,
                             AdviceWalk walk = AdviceWalk::bisecting, AdviceExtent extent = AdviceExtent::all);

// The sentence of a piece of advice whose changes and estimate are set.
std::string adviceText(const SkillCard& card, const Advice& advice);

// The card with all the advice's changes made: the card its estimate is of. Removals
// come last, from the highest place down, so that every place is the card's as read.
SkillCard advisedCard(const SkillCard& card, const Advice& advice);

}  // namespace Vantorn
