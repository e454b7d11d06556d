// The search for advice. Every candidate is tried on a copy of the card by the estimate
// itself, so that whatever the advice claims, the estimate says.
//
// The order of the advice:
//   1. single changes that balance the card: the changes of motion fields (value,
//      rounds) sorted by the size of the change relative to the field's range, then
//      removals of a motion, then the card's own fields, again by relative size;
//   2. where no single change balances it, the best combination of two changes, else
//      of three (smallest total relative change first, within a bounded search);
//   3. where not even three do, the single change that comes closest, not balancing;
//   4. last, stating the level the estimate rounds to.
// A numeric field is moved to the value nearest to its own that balances the card; of
// two equally near, the one that changes the estimate less.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include "advice/Advice.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"

namespace Vantorn {
namespace {

// The ranges the search moves fields in.
constexpr std::int32_t largestAmount = 999;
constexpr std::int32_t largestRounds = 99;
constexpr std::int32_t largestChange = 10;      // ability changes, the success modifier, bonuses
constexpr std::int32_t largestAttribute = 3;
// Beyond these a card gets no advice: its fields are not a card anyone balances by hand,
// and every evaluation of it costs as much as its motions.
constexpr std::int32_t largestTrustedField = 1000000;
constexpr std::size_t mostMotions = 64;
// Estimates tried per card, all searches together; a card that would need more gets
// no advice rather than a claim the search could not check.
constexpr long evaluationBudget = 60000;
// The fields whose pairs, and whose triples, are tried: those that move the estimate most.
constexpr std::size_t widestPairs = 24;
constexpr std::size_t widestTriples = 10;
// Most combinations given, of the size found.
constexpr std::size_t mostCombinations = 3;

struct Knob {
    AdviceField field;
    int motion;  // -1 for the card's own fields
    std::int32_t lo, hi;
    std::int32_t current;
    bool skipZero;  // an ability change of 0 is no change
    int group;      // 0 motion fields, 1 removals, 2 the card's fields

    double span() const { return hi > lo ? static_cast<double>(hi) - lo : 1.0; }
    double relative(std::int32_t to) const {
        return std::fabs(static_cast<double>(to) - current) / span();
    }
    bool allows(std::int64_t to) const {
        return to >= lo && to <= hi && to != current && !(skipZero && to == 0);
    }
};

// A motion that weighs nothing in either estimate: its key has no cell.
Motion neutralMotion() {
    Motion motion;
    motion.category = 0;
    motion.subType = 8;
    return motion;
}

// The fields of a card the estimate reads, in a card of its own that the search changes.
class Probe {
public:
    explicit Probe(const SkillCard& card) : original_(card) {
        card_.targetType = card.targetType;
        card_.targetsAll = card.targetsAll;
        card_.successModifier = card.successModifier;
        card_.unusableWhenSilenced = card.unusableWhenSilenced;
        card_.effectAttribute = card.effectAttribute;
        card_.bonuses = card.bonuses;
        card_.cardLevel = card.cardLevel;
        card_.motions = card.motions;
    }

    void set(const Knob& knob, std::int32_t to) {
        switch (knob.field) {
        case AdviceField::value: card_.motions[knob.motion].value = to; break;
        case AdviceField::rounds: card_.motions[knob.motion].rounds = to; break;
        case AdviceField::motion:
            card_.motions[knob.motion] = to ? neutralMotion() : original_.motions[knob.motion];
            break;
        case AdviceField::successModifier: card_.successModifier = to; break;
        case AdviceField::avoidanceBonus: card_.bonuses[0] = to; break;
        case AdviceField::resistanceBonus: card_.bonuses[1] = to; break;
        case AdviceField::defenceBonus: card_.bonuses[2] = to; break;
        case AdviceField::targetsAll: card_.targetsAll = to != 0; break;
        case AdviceField::effectAttribute: card_.effectAttribute = to; break;
        case AdviceField::unusableWhenSilenced: card_.unusableWhenSilenced = to != 0; break;
        case AdviceField::level: break;
        }
    }
    void reset(const Knob& knob) { set(knob, knob.current); }

    // The level as the estimate gives it; none when the changed card is not estimated.
    std::optional<double> level() {
        ++evaluations;
        const std::optional<double> level = estimatedLevel(card_);
        if (level && !std::isfinite(*level)) return std::nullopt;
        return level;
    }

    long evaluations = 0;

private:
    const SkillCard& original_;
    SkillCard card_;
};

std::vector<Knob> knobsOf(const SkillCard& card) {
    std::vector<Knob> knobs;
    for (std::size_t i = 0; i < card.motions.size(); ++i) {
        const Motion& motion = card.motions[i];
        const int place = static_cast<int>(i);
        const ValueForm form = effectType(motion.category, motion.subType).form;
        const bool amount = (form == ValueForm::strength && (motion.valueType == ValueType::levelRatio || motion.valueType == ValueType::direct));
        if (amount) {
            knobs.push_back({AdviceField::value, place, 1, largestAmount, motion.value, false, 0});
        } else if (form == ValueForm::strengthAndDuration) {
            knobs.push_back({AdviceField::value, place, -largestChange, largestChange, motion.value, true, 0});
        }
        if (form == ValueForm::duration || form == ValueForm::strengthAndDuration) {
            knobs.push_back({AdviceField::rounds, place, 1, largestRounds, motion.rounds, false, 0});
        }
    }
    for (std::size_t i = 0; i < card.motions.size(); ++i) {
        knobs.push_back({AdviceField::motion, static_cast<int>(i), 0, 1, 0, false, 1});
    }
    const auto own = [&](AdviceField field, std::int32_t lo, std::int32_t hi, std::int32_t current) {
        knobs.push_back({field, -1, lo, hi, current, false, 2});
    };
    own(AdviceField::successModifier, -largestChange, largestChange, card.successModifier);
    own(AdviceField::avoidanceBonus, -largestChange, largestChange, card.bonuses[0]);
    own(AdviceField::resistanceBonus, -largestChange, largestChange, card.bonuses[1]);
    own(AdviceField::defenceBonus, -largestChange, largestChange, card.bonuses[2]);
    own(AdviceField::targetsAll, 0, 1, card.targetsAll ? 1 : 0);
    own(AdviceField::effectAttribute, 0, largestAttribute, card.effectAttribute);
    own(AdviceField::unusableWhenSilenced, 0, 1, card.unusableWhenSilenced ? 1 : 0);
    return knobs;
}

bool trusted(const SkillCard& card) {
    const auto fits = [](std::int64_t value) { return std::llabs(value) <= largestTrustedField; };
    if (card.motions.size() > mostMotions) return false;
    for (const Motion& motion : card.motions) {
        if (!fits(motion.value) || !fits(motion.rounds)) return false;
    }
    return std::all_of(card.bonuses.begin(), card.bonuses.end(), fits);
}

AdviceChange changeOf(const Knob& knob, std::int32_t to) {
    AdviceChange change;
    change.field = knob.field;
    change.motion = knob.motion;
    change.from = knob.current;
    if (knob.field != AdviceField::motion) change.to = to;
    return change;
}

struct Move {
    std::size_t knob;
    std::int32_t to;
    double relative;
};

// One knob's single changes, searched outward from its value.
struct Single {
    std::optional<Move> balancing;  // the nearest value that balances the card
    double estimate = 0;
    // The value that comes closest to the stated level, and where it takes the estimate.
    std::optional<Move> closest;
    double closestEstimate = 0;
    // How far the field moves the estimate over its range.
    double lowest = 0, highest = 0;
};

class Search {
public:
    Search(const SkillCard& card, double estimate)
        : probe_(card), knobs_(knobsOf(card)), stated_(card.cardLevel), estimate_(estimate) {}

    long evaluations() const { return probe_.evaluations; }
    bool exhausted() const { return probe_.evaluations > evaluationBudget; }

    Single single(std::size_t index) {
        const Knob& knob = knobs_[index];
        Single result;
        const std::int64_t current = knob.current;
        const std::int64_t nearest = std::max<std::int64_t>({1, knob.lo - current, current - knob.hi});
        const std::int64_t furthest = std::max<std::int64_t>(knob.hi - current, current - knob.lo);
        for (std::int64_t distance = nearest; distance <= furthest; ++distance) {
            for (const std::int64_t to : {current - distance, current + distance}) {
                if (!knob.allows(to)) continue;
                const auto value = static_cast<std::int32_t>(to);
                const std::optional<double> level = tryOne(knob, value);
                if (!level) continue;
                const Move move{index, value, knob.relative(value)};
                result.lowest = result.closest ? std::min(result.lowest, *level) : *level;
                result.highest = result.closest ? std::max(result.highest, *level) : *level;
                const double off = std::fabs(*level - stated_);
                if (!result.closest || off < std::fabs(result.closestEstimate - stated_)) {
                    result.closest = move;
                    result.closestEstimate = *level;
                }
                if (!inBalance(*level, stated_)) continue;
                // Of two equally near, the smaller change of the estimate.
                if (!result.balancing ||
                    std::fabs(*level - estimate_) < std::fabs(result.estimate - estimate_)) {
                    result.balancing = move;
                    result.estimate = *level;
                }
            }
            if (result.balancing || exhausted()) break;
        }
        return result;
    }

    const std::vector<Knob>& knobs() const { return knobs_; }

    // The estimate with the moves applied together, or none.
    std::optional<double> tryMoves(const std::vector<Move>& moves) {
        for (const Move& move : moves) probe_.set(knobs_[move.knob], move.to);
        const std::optional<double> level = probe_.level();
        for (const Move& move : moves) probe_.reset(knobs_[move.knob]);
        return level;
    }

    // The best combinations of `size` changes found (fewest first, then the smallest
    // total relative change), each of its numeric changes as near to its own value as
    // it can be while the others hold. Every set of that many fields is tried with its
    // fields at the ends of their ranges, the corners of the set; from a corner that
    // balances the card, or one past the balance, the fields come back toward their own
    // values for as long as the card stays balanced. Triples are tried among the fields
    // that move the estimate most.
    std::vector<std::vector<Move>> combinations(std::size_t size, const std::vector<double>& spans) {
        std::vector<std::size_t> order(knobs_.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return spans[a] > spans[b]; });
        order.resize(std::min(order.size(), size == 2 ? widestPairs : widestTriples));
        std::sort(order.begin(), order.end());
        std::vector<std::pair<double, std::vector<Move>>> found;
        std::vector<std::size_t> set;
        const std::function<void(std::size_t)> choose = [&](std::size_t from) {
            if (set.size() == size) {
                if (std::optional<std::vector<Move>> best = bestOfSet(set)) {
                    double cost = 0;
                    for (const Move& move : *best) cost += move.relative;
                    found.emplace_back(cost, std::move(*best));
                }
                return;
            }
            for (std::size_t i = from; i < order.size() && !exhausted(); ++i) {
                set.push_back(order[i]);
                if (compatible(set)) choose(i + 1);
                set.pop_back();
            }
        };
        choose(0);
        std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::vector<Move>> best;
        for (std::size_t i = 0; i < found.size() && i < mostCombinations; ++i) best.push_back(found[i].second);
        return best;
    }

private:
    std::optional<double> tryOne(const Knob& knob, std::int32_t to) {
        probe_.set(knob, to);
        const std::optional<double> level = probe_.level();
        probe_.reset(knob);
        return level;
    }

    bool compatible(const std::vector<std::size_t>& set) const {
        const Knob& added = knobs_[set.back()];
        for (std::size_t i = 0; i + 1 < set.size(); ++i) {
            const Knob& other = knobs_[set[i]];
            // A motion removed has no value or rounds left to change.
            const bool removal = added.field == AdviceField::motion || other.field == AdviceField::motion;
            if (removal && added.motion == other.motion) return false;
        }
        return true;
    }

    // The ends of a field's range that are a change of it.
    std::vector<std::int32_t> ends(const Knob& knob) const {
        std::vector<std::int32_t> values;
        for (std::int64_t to = knob.lo; to <= knob.hi; ++to) {
            if (knob.allows(to)) {
                values.push_back(static_cast<std::int32_t>(to));
                break;
            }
        }
        for (std::int64_t to = knob.hi; to >= knob.lo; --to) {
            if (knob.allows(to)) {
                if (values.empty() || values.front() != to) values.push_back(static_cast<std::int32_t>(to));
                break;
            }
        }
        return values;
    }

    int side(double level) const { return level > stated_ + balanceTolerance ? 1 : level < stated_ - balanceTolerance ? -1 : 0; }

    std::optional<std::vector<Move>> bestOfSet(const std::vector<std::size_t>& set) {
        std::vector<std::vector<std::int32_t>> choices;
        for (std::size_t index : set) {
            choices.push_back(ends(knobs_[index]));
            if (choices.back().empty()) return std::nullopt;
        }
        const int start = side(estimate_);
        std::optional<std::vector<Move>> best;
        double bestCost = 0;
        const auto consider = [&](std::vector<Move> combination) {
            refine(combination);
            double cost = 0;
            for (const Move& move : combination) cost += move.relative;
            if (!best || cost < bestCost) {
                best = std::move(combination);
                bestCost = cost;
            }
        };
        std::vector<std::size_t> pick(set.size(), 0);
        while (!exhausted()) {
            std::vector<Move> corner;
            for (std::size_t i = 0; i < set.size(); ++i) {
                const std::int32_t to = choices[i][pick[i]];
                corner.push_back({set[i], to, knobs_[set[i]].relative(to)});
            }
            const std::optional<double> level = tryMoves(corner);
            if (level && side(*level) == 0) {
                consider(corner);
            } else if (level && side(*level) == -start) {
                // Past the balance: one field at a time comes back from its end.
                for (std::size_t last = 0; last < corner.size(); ++last) {
                    if (std::optional<std::vector<Move>> between = crossing(corner, last)) consider(*between);
                }
            }
            std::size_t i = 0;
            while (i < pick.size() && ++pick[i] == choices[i].size()) pick[i++] = 0;
            if (i == pick.size()) break;
        }
        return best;
    }

    // With the other fields at the corner, the value of field `last` nearest its own
    // that balances the card.
    std::optional<std::vector<Move>> crossing(std::vector<Move> corner, std::size_t last) {
        Move& move = corner[last];
        const Knob& knob = knobs_[move.knob];
        std::optional<std::vector<Move>> found;
        for (std::size_t i = 0; i < corner.size(); ++i) {
            if (i != last) probe_.set(knobs_[corner[i].knob], corner[i].to);
        }
        const std::int64_t step = move.to > knob.current ? 1 : -1;
        for (std::int64_t to = knob.current + step; to != move.to + step && !exhausted(); to += step) {
            if (!knob.allows(to)) continue;
            probe_.set(knob, static_cast<std::int32_t>(to));
            const std::optional<double> level = probe_.level();
            if (level && side(*level) == 0) {
                move.to = static_cast<std::int32_t>(to);
                move.relative = knob.relative(move.to);
                found = corner;
                break;
            }
        }
        for (const Move& each : corner) probe_.reset(knobs_[each.knob]);
        return found;
    }

    // Moves each numeric change of a balancing combination to the value nearest its
    // own that still balances the card with the others applied.
    void refine(std::vector<Move>& combination) {
        for (Move& move : combination) {
            const Knob& knob = knobs_[move.knob];
            if (knob.hi - knob.lo <= 1) continue;
            for (const Move& other : combination) {
                if (&other != &move) probe_.set(knobs_[other.knob], other.to);
            }
            const std::int64_t current = knob.current;
            const std::int64_t step = move.to > knob.current ? 1 : -1;
            for (std::int64_t to = current + step; to != move.to && !exhausted(); to += step) {
                if (!knob.allows(to)) continue;
                probe_.set(knob, static_cast<std::int32_t>(to));
                const std::optional<double> level = probe_.level();
                if (level && inBalance(*level, stated_)) {
                    move.to = static_cast<std::int32_t>(to);
                    move.relative = knob.relative(move.to);
                    break;
                }
            }
            probe_.reset(knob);
            for (const Move& other : combination) {
                if (&other != &move) probe_.reset(knobs_[other.knob]);
            }
        }
    }

    Probe probe_;
    std::vector<Knob> knobs_;
    std::int32_t stated_;
    double estimate_;
};

Advice adviceOf(const SkillCard& card, const std::vector<Knob>& knobs, const std::vector<Move>& moves,
                double estimate) {
    Advice advice;
    for (const Move& move : moves) advice.changes.push_back(changeOf(knobs[move.knob], move.to));
    // Removals apply last: they name motions by their place in the card as read.
    std::stable_sort(advice.changes.begin(), advice.changes.end(), [](const AdviceChange& a, const AdviceChange& b) {
        return (a.field == AdviceField::motion) < (b.field == AdviceField::motion);
    });
    advice.estimate = estimate;
    advice.balanced = inBalance(estimate, card.cardLevel);
    advice.text = adviceText(card, advice);
    return advice;
}

}  // namespace

std::vector<Advice> adviseOn(const SkillCard& card, const LevelEstimate& estimate) {
    std::vector<Advice> advice;
    if (!estimate.level || !std::isfinite(*estimate.level) || inBalance(*estimate.level, card.cardLevel) ||
        !trusted(card)) {
        return advice;
    }
    Search search(card, *estimate.level);
    const std::vector<Knob>& knobs = search.knobs();

    std::vector<std::pair<Move, double>> singles;
    std::optional<std::pair<Move, double>> closest;
    std::vector<double> spans(knobs.size(), 0);
    for (std::size_t index = 0; index < knobs.size(); ++index) {
        const Single single = search.single(index);
        if (single.closest) {
            spans[index] = std::max(single.highest, *estimate.level) - std::min(single.lowest, *estimate.level);
        }
        if (single.balancing) singles.emplace_back(*single.balancing, single.estimate);
        if (single.closest && (!closest || std::fabs(single.closestEstimate - card.cardLevel) <
                                               std::fabs(closest->second - card.cardLevel))) {
            closest = std::make_pair(*single.closest, single.closestEstimate);
        }
    }
    if (search.exhausted()) return {};
    std::stable_sort(singles.begin(), singles.end(), [&](const auto& a, const auto& b) {
        const int groupA = knobs[a.first.knob].group;
        const int groupB = knobs[b.first.knob].group;
        if (groupA != groupB) return groupA < groupB;
        return a.first.relative < b.first.relative;
    });
    for (const auto& [move, level] : singles) advice.push_back(adviceOf(card, knobs, {move}, level));

    if (singles.empty()) {
        for (std::size_t size = 2; size <= 3 && advice.empty(); ++size) {
            for (const std::vector<Move>& combination : search.combinations(size, spans)) {
                if (const std::optional<double> level = search.tryMoves(combination)) {
                    advice.push_back(adviceOf(card, knobs, combination, *level));
                }
            }
        }
        if (advice.empty() && closest) advice.push_back(adviceOf(card, knobs, {closest->first}, closest->second));
    }

    // Last, always: the level the estimate rounds to, where that is a level.
    const double rounded = std::round(*estimate.level);
    if (rounded >= 0 && rounded <= static_cast<double>(INT32_MAX) && rounded != card.cardLevel) {
        Advice level;
        level.changes.push_back({AdviceField::level, -1, card.cardLevel, static_cast<std::int32_t>(rounded)});
        level.estimate = *estimate.level;
        level.balanced = inBalance(*estimate.level, static_cast<std::int32_t>(rounded));
        level.text = adviceText(card, level);
        advice.push_back(std::move(level));
    }
    return advice;
}

}  // namespace Vantorn
