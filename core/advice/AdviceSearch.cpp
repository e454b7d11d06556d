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
// two equally near, the one that changes the estimate less. Where only the first piece
// is wanted (the summary's column), the walks stop at the first group with a single
// change, no change as large as one found is walked, and one combination is kept.
//
// A wide field (an amount, rounds, a bonus) is walked by bisection wherever the estimate is
// monotone in it over each run of values that try as many trial levels: the field then
// enters the card's one working once, through operations that each keep or reverse the
// order of their input, and in the same direction at every trial level, so that the
// number of trial levels is monotone too. Bisection finds the runs, and in each run the
// first value in balance; it finds what a walk value by value would, in far fewer
// estimates. Where an estimate fails, the walk goes value by value after all. Sleep's
// rounds and the bonuses change their rate at one value, and are bisected on each side.
// A card aimed at both sides has two workings, each monotone so; their greater is
// monotone where they go the same way, and falls then rises where they do not.
// A field that no working reads is not walked at all, and a walk whose findings are
// not kept skips stretches that try too few trial levels to reach the balance.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "advice/Advice.hpp"
#include "advice/CardFields.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "estimate/Weights.hpp"

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
// Fields narrower than this are walked value by value: bisection would not save estimates.
constexpr std::int32_t narrowestBisected = 16;

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

// Whether two motions weigh alike: the fields `weigh` reads are the same.
bool weighAlike(const Motion& a, const Motion& b) {
    return a.category == b.category && a.subType == b.subType && a.attr == b.attr && a.valueType == b.valueType &&
           a.value == b.value && a.rounds == b.rounds;
}

// The fields of a card the estimate reads, in a card of its own that the search changes.
// The motions are weighed in list order, so the totals of the card's own motions before
// the first one changed are carried over from the card as read.
class Probe {
public:
    explicit Probe(const SkillCard& card)
        : original_(card), card_(changeableFields(card)), changed_(card.motions.size(), 0) {
        card_.motions = card.motions;
        before_.reserve(card.motions.size() + 1);
        before_.push_back(MotionTotals{});
        for (std::size_t i = 0; i < card.motions.size(); ++i) {
            before_.push_back(weighCardMotions(card, before_.back(), i, i + 1));
        }
    }

    void set(const Knob& knob, std::int32_t to) {
        switch (knob.field) {
        case AdviceField::value: card_.motions[knob.motion].value = to; break;
        case AdviceField::rounds: card_.motions[knob.motion].rounds = to; break;
        case AdviceField::motion:
            card_.motions[knob.motion] = to ? neutral_ : original_.motions[knob.motion];
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
        if (knob.motion >= 0) {
            const auto place = static_cast<std::size_t>(knob.motion);
            const bool changed = !weighAlike(card_.motions[place], original_.motions[place]);
            changedCount_ += static_cast<int>(changed) - static_cast<int>(changed_[place]);
            changed_[place] = changed;
        }
    }
    void reset(const Knob& knob) { set(knob, knob.current); }
    std::int32_t targetType() const { return card_.targetType; }

    // The level as the estimate gives it, and how many trial levels it tried; none when
    // the changed card is not estimated.
    std::optional<double> level(WorkingTrials* trials = nullptr) {
        ++evaluations;
        std::optional<double> level;
        if (changedCount_ == 0) {
            level = estimatedLevel(card_, before_.back(), trials);
        } else {
            std::size_t first = 0;
            while (!changed_[first]) ++first;
            level = estimatedLevel(card_, weighCardMotions(card_, before_[first], first), trials);
        }
        if (level && !std::isfinite(*level)) return std::nullopt;
        return level;
    }

    long evaluations = 0;

private:
    const SkillCard& original_;
    const Motion neutral_ = neutralMotion();
    SkillCard card_;
    std::vector<unsigned char> changed_;  // of each motion: whether it weighs otherwise than as read
    int changedCount_ = 0;
    std::vector<MotionTotals> before_;    // the totals of the motions as read before each place, and of all
};

std::vector<Knob> knobsOf(const SkillCard& card) {
    std::vector<Knob> knobs;
    knobs.reserve(3 * card.motions.size() + 7);
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

// The changes of one piece of advice, applied together: at most three, held in place,
// as the search makes and drops them by the thousand.
class Moves {
public:
    static constexpr std::size_t most = 3;

    Moves() = default;
    Moves(std::initializer_list<Move> moves) {
        for (const Move& move : moves) push_back(move);
    }
    void push_back(const Move& move) { moves_[size_++] = move; }
    void clear() { size_ = 0; }
    std::size_t size() const { return size_; }
    Move& operator[](std::size_t i) { return moves_[i]; }
    const Move& operator[](std::size_t i) const { return moves_[i]; }
    Move* begin() { return moves_.data(); }
    Move* end() { return moves_.data() + size_; }
    const Move* begin() const { return moves_.data(); }
    const Move* end() const { return moves_.data() + size_; }

private:
    std::array<Move, most> moves_{};
    std::size_t size_ = 0;
};

// The estimates a walk saw: how far the field moves the estimate, and the value that
// brings it closest to the stated level (of values equally close, the nearest to the
// field's own, the lower first).
class Seen {
public:
    Seen(std::int64_t current, std::int32_t stated) : current_(current), stated_(stated) {}

    void add(std::int64_t at, double level) {
        if (!any || closer(at, level)) {
            closest = at;
            closestLevel = level;
        }
        lowest = any ? std::min(lowest, level) : level;
        highest = any ? std::max(highest, level) : level;
        any = true;
    }
    void add(const Seen& other) {
        if (!other.any) return;
        add(other.closest, other.closestLevel);
        lowest = std::min(lowest, other.lowest);
        highest = std::max(highest, other.highest);
    }
    void clear() { *this = Seen(current_, stated_); }

    bool any = false;
    double lowest = 0, highest = 0;
    std::int64_t closest = 0;
    double closestLevel = 0;

private:
    bool closer(std::int64_t at, double level) const {
        const double off = std::fabs(level - stated_), closestOff = std::fabs(closestLevel - stated_);
        if (off != closestOff) return off < closestOff;
        const std::int64_t distance = std::llabs(at - current_), closestDistance = std::llabs(closest - current_);
        return distance != closestDistance ? distance < closestDistance : at < closest;
    }

    std::int64_t current_;
    std::int32_t stated_;
};

// The first value of a walk at which the card is in balance, and its estimate.
struct Balancing {
    std::int64_t at;
    double level;
};

// One knob's single changes, searched outward from its value.
struct Single {
    std::optional<Move> balancing;  // the nearest value that balances the card
    double estimate = 0;
    // What the field does to the estimate over its range, once no value balances the card.
    Seen seen;
};

// A value of a field walked by bisection, as the estimate saw it.
struct Point {
    std::int64_t at;
    double level;
    WorkingTrials tried;

    // Whether each working tried as many trial levels at both points.
    bool sameRun(const Point& other) const {
        return tried.offensive == other.tried.offensive && tried.supportive == other.tried.supportive;
    }
    // Whether the card's level is monotone from here to `other` in the same run: it is in
    // each working, and so in their greater one where they do not go opposite ways.
    bool monotoneTo(const Point& other) const {
        const auto way = [](double from, double to) { return from < to ? 1 : from > to ? -1 : 0; };
        return way(tried.offensiveLevel, other.tried.offensiveLevel) *
                   way(tried.supportiveLevel, other.tried.supportiveLevel) >= 0;
    }
};

class Search {
public:
    Search(const SkillCard& card, double estimate, AdviceWalk walk)
        : probe_(card),
          knobs_(knobsOf(card)),
          stated_(card.cardLevel),
          estimate_(estimate),
          walk_(walk),
          tables_(workingTables(card)),
          motions_(card.motions),
          ends_(endsAll(knobs_)),
          negativePoison_(std::any_of(card.motions.begin(), card.motions.end(), [](const Motion& motion) {
              return ruleOf(offensiveWeights, motion) == Rule::poison && motion.value < 0;
          })),
          unchanged_(probe_.level()) {
        for (const Knob& knob : knobs_) {
            const std::optional<std::int64_t> nearest = nearestChange(knob);
            leastRelative_.push_back(nearest ? knob.relative(static_cast<std::int32_t>(*nearest)) : 0);
        }
    }

    long evaluations() const { return probe_.evaluations; }
    // The reference walk is not bounded: it is what bisection is checked against.
    bool exhausted() const { return walk_ == AdviceWalk::bisecting && probe_.evaluations > evaluationBudget; }

    // The nearest value on either side that balances the card; of two equally near, the
    // one that changes the estimate less. Both sides are walked whole when neither does.
    // `keepSeen` is false once another field balances the card: then what a walk sees
    // is not wanted, and it may skip what cannot balance it. `within`, where given, is
    // the relative size of a change that comes first already: a change as large or
    // larger is not walked.
    Single single(std::size_t index, bool keepSeen, std::optional<double> within = std::nullopt) {
        const Knob& knob = knobs_[index];
        Single result{std::nullopt, 0, Seen(knob.current, stated_)};
        const std::int64_t reach = within ? reachWithin(knob, *within) : furthestOf(knob);
        if (reach < 1) return result;
        // A field the estimate does not read leaves the card's level as it is at every
        // value: a walk would come closest at the value nearest the field's own.
        if (walk_ == AdviceWalk::bisecting && !read(knob)) {
            const std::optional<std::int64_t> to = nearestChange(knob);
            if (to && unchanged_) result.seen.add(*to, *unchanged_);
            return result;
        }
        Seen* seen = keepSeen ? &result.seen : nullptr;
        const std::optional<Balancing> nearest = bisectable(knob) ? nearestBisected(knob, seen, reach)
                                                                  : nearestStepped(knob, seen, reach);
        if (nearest) {
            const auto to = static_cast<std::int32_t>(nearest->at);
            result.balancing = Move{index, to, knob.relative(to)};
            result.estimate = nearest->level;
        }
        return result;
    }

    // How far from the field's own value its range goes, on the farther side.
    static std::int64_t furthestOf(const Knob& knob) {
        return std::max<std::int64_t>(knob.hi - knob.current, knob.current - knob.lo);
    }

    // The farthest distance from the field's own value whose relative size is below
    // `relative`, as Knob::relative works it out.
    static std::int64_t reachWithin(const Knob& knob, double relative) {
        const auto below = [&](std::int64_t distance) { return static_cast<double>(distance) / knob.span() < relative; };
        const std::int64_t furthest = furthestOf(knob);
        auto reach = static_cast<std::int64_t>(std::min(relative * knob.span(), static_cast<double>(furthest)));
        while (reach > 0 && !below(reach)) --reach;
        while (reach < furthest && below(reach + 1)) ++reach;
        return reach;
    }

    // Once one side balances the card, the other is walked no further than as far: what
    // the walk sees matters only where no value of any field balances it. Neither goes
    // farther than `reach` from the field's own value.
    std::optional<Balancing> nearestBisected(const Knob& knob, Seen* seen, std::int64_t reach) {
        const std::int64_t current = knob.current;
        const auto distance = [current](const std::optional<Balancing>& found) { return std::llabs(found->at - current); };
        std::optional<Seen> belowSeen, aboveSeen;
        if (seen != nullptr) belowSeen = aboveSeen = *seen;
        const std::optional<Balancing> below =
            firstInBalance(knob, current - 1, current - reach, -1, belowSeen ? &*belowSeen : nullptr);
        const std::int64_t furthest = current + (below ? distance(below) : reach);
        const std::optional<Balancing> above =
            firstInBalance(knob, current + 1, furthest, 1, aboveSeen ? &*aboveSeen : nullptr);
        if (seen != nullptr) {
            seen->add(*belowSeen);
            seen->add(*aboveSeen);
        }
        if (above && (!below || distance(above) < distance(below) ||
                      (distance(above) == distance(below) &&
                       std::fabs(above->level - estimate_) < std::fabs(below->level - estimate_)))) {
            return above;
        }
        return below;
    }

    // The value nearest the field's own that is a change of it, the lower of two.
    static std::optional<std::int64_t> nearestChange(const Knob& knob) {
        const std::int64_t current = knob.current;
        const std::int64_t nearest = std::max<std::int64_t>({1, knob.lo - current, current - knob.hi});
        const std::int64_t furthest = furthestOf(knob);
        for (std::int64_t distance = nearest; distance <= furthest; ++distance) {
            for (const std::int64_t to : {current - distance, current + distance}) {
                if (knob.allows(to)) return to;
            }
        }
        return std::nullopt;
    }

    // Outward from the field's value, a step at a time on both sides.
    std::optional<Balancing> nearestStepped(const Knob& knob, Seen* seen, std::int64_t reach) {
        const std::int64_t current = knob.current;
        const std::int64_t nearest = std::max<std::int64_t>({1, knob.lo - current, current - knob.hi});
        const std::int64_t furthest = std::min(reach, furthestOf(knob));
        std::optional<Balancing> found;
        for (std::int64_t distance = nearest; distance <= furthest && !found && !exhausted(); ++distance) {
            for (const std::int64_t to : {current - distance, current + distance}) {
                if (!knob.allows(to)) continue;
                const std::optional<double> level = tryOne(knob, static_cast<std::int32_t>(to));
                if (!level) continue;
                if (seen != nullptr) seen->add(to, *level);
                if (side(*level) != 0) continue;
                if (!found || std::fabs(*level - estimate_) < std::fabs(found->level - estimate_)) found = Balancing{to, *level};
            }
        }
        return found;
    }

    const std::vector<Knob>& knobs() const { return knobs_; }

    // The estimate with the moves applied together, or none.
    std::optional<double> tryMoves(const Moves& moves, WorkingTrials* trials = nullptr) {
        for (const Move& move : moves) probe_.set(knobs_[move.knob], move.to);
        const std::optional<double> level = probe_.level(trials);
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
    std::vector<Moves> combinations(std::size_t size, const std::vector<double>& spans, std::size_t most) {
        std::vector<std::size_t> order(knobs_.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return spans[a] > spans[b]; });
        order.resize(std::min(order.size(), size == 2 ? widestPairs : widestTriples));
        // A set with a field the estimate does not read balances the card only where the
        // others do without it, and no single change did, nor any smaller set. (The
        // reference walk tries them all, so that the two can be compared.)
        if (walk_ == AdviceWalk::bisecting) {
            order.erase(std::remove_if(order.begin(), order.end(), [&](std::size_t knob) { return !read(knobs_[knob]); }),
                        order.end());
        }
        std::sort(order.begin(), order.end());
        std::vector<std::pair<double, Moves>> found;
        // The costs of the cheapest combinations found so far, cheapest first.
        std::vector<double> cheapest;
        std::vector<std::size_t> set;
        const std::function<void(std::size_t)> choose = [&](std::size_t from) {
            if (set.size() == size) {
                // No change of a field costs less than its nearest: a set that cannot come
                // in under the dearest of those kept is not tried.
                double least = 0;
                for (std::size_t knob : set) least += leastRelative_[knob];
                if (cheapest.size() == most && cheapest.back() < least) return;
                if (std::optional<Moves> best = bestOfSet(set)) {
                    double cost = 0;
                    for (const Move& move : *best) cost += move.relative;
                    found.emplace_back(cost, std::move(*best));
                    cheapest.insert(std::upper_bound(cheapest.begin(), cheapest.end(), cost), cost);
                    if (cheapest.size() > most) cheapest.pop_back();
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
        std::vector<Moves> best;
        for (std::size_t i = 0; i < found.size() && i < most; ++i) best.push_back(found[i].second);
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

    // Whether the card's estimate reads the field at all.
    bool read(const Knob& knob) const {
        switch (knob.field) {
        case AdviceField::avoidanceBonus:
        case AdviceField::resistanceBonus:
        case AdviceField::defenceBonus:
        case AdviceField::unusableWhenSilenced: return true;
        // A card without a target is judged by its bonuses alone.
        case AdviceField::successModifier:
        case AdviceField::targetsAll: return !tables_.empty();
        case AdviceField::effectAttribute:
            return std::find(tables_.begin(), tables_.end(), &offensiveWeights) != tables_.end();
        case AdviceField::level: return false;
        case AdviceField::value:
        case AdviceField::rounds:
        case AdviceField::motion: break;
        }
        const Motion& motion = motions_[knob.motion];
        return std::any_of(tables_.begin(), tables_.end(), [&](const WeightTable* table) {
            switch (ruleOf(*table, motion)) {
            case Rule::none: return false;
            case Rule::life:
            case Rule::poison: return knob.field == AdviceField::motion ||
                                      (knob.field == AdviceField::value && motion.valueType != ValueType::maximum);
            case Rule::fixed: return knob.field == AdviceField::motion;
            case Rule::perRound:
            case Rule::sleep: return knob.field != AdviceField::value;
            case Rule::perRoundAndValue:
            case Rule::loweringAbility:
            case Rule::raisingAbility: break;
            }
            return true;
        });
    }

    // The ends of a field's range that are a change of it: none, one or two.
    struct Ends {
        std::array<std::int32_t, 2> values{};
        std::size_t count = 0;

        bool empty() const { return count == 0; }
        std::size_t size() const { return count; }
        std::int32_t operator[](std::size_t i) const { return values[i]; }
        void add(std::int64_t to) {
            if (count == 0 || values[0] != to) values[count++] = static_cast<std::int32_t>(to);
        }
    };

    static Ends endsOf(const Knob& knob) {
        Ends ends;
        for (std::int64_t to = knob.lo; to <= knob.hi; ++to) {
            if (knob.allows(to)) {
                ends.add(to);
                break;
            }
        }
        for (std::int64_t to = knob.hi; to >= knob.lo; --to) {
            if (knob.allows(to)) {
                ends.add(to);
                break;
            }
        }
        return ends;
    }

    static std::vector<Ends> endsAll(const std::vector<Knob>& knobs) {
        std::vector<Ends> all;
        all.reserve(knobs.size());
        for (const Knob& knob : knobs) all.push_back(endsOf(knob));
        return all;
    }

    int side(double level) const { return level > stated_ + balanceTolerance ? 1 : level < stated_ - balanceTolerance ? -1 : 0; }

    std::optional<Moves> bestOfSet(const std::vector<std::size_t>& set) {
        for (std::size_t index : set) {
            if (ends_[index].empty()) return std::nullopt;
        }
        const auto choices = [&](std::size_t i) -> const Ends& { return ends_[set[i]]; };
        const int start = side(estimate_);
        std::optional<Moves> best;
        double bestCost = 0;
        const auto consider = [&](Moves combination, std::optional<std::size_t> settled) {
            refine(combination, settled);
            double cost = 0;
            for (const Move& move : combination) cost += move.relative;
            if (!best || cost < bestCost) {
                best = std::move(combination);
                bestCost = cost;
            }
        };
        // The probe holds the corner: the next differs in the fields the count moves,
        // and only those are set again.
        std::array<std::size_t, Moves::most> pick{};
        Moves corner;
        for (std::size_t i = 0; i < set.size(); ++i) corner.push_back({set[i], choices(i)[0], 0});
        const auto hold = [&] {
            for (const Move& move : corner) probe_.set(knobs_[move.knob], move.to);
        };
        const auto release = [&] {
            for (const Move& move : corner) probe_.reset(knobs_[move.knob]);
        };
        const auto moveTo = [&](std::size_t i) {
            corner[i].to = choices(i)[pick[i]];
            probe_.set(knobs_[corner[i].knob], corner[i].to);
        };
        hold();
        while (!exhausted()) {
            WorkingTrials tried;
            const std::optional<double> level = probe_.level(&tried);
            const int reached = level ? side(*level) : start;
            if (reached != start) {
                for (Move& move : corner) move.relative = knobs_[move.knob].relative(move.to);
                release();
                if (reached == 0) {
                    consider(corner, std::nullopt);
                } else {
                    // Past the balance: one field at a time comes back from its end.
                    for (std::size_t last = 0; last < corner.size(); ++last) {
                        const Point end{corner[last].to, *level, tried};
                        if (std::optional<Moves> between = crossing(corner, last, end)) consider(*between, last);
                    }
                }
                hold();
            }
            std::size_t i = 0;
            while (i < set.size() && ++pick[i] == choices(i).size()) {
                pick[i] = 0;
                moveTo(i++);
            }
            if (i == set.size()) break;
            moveTo(i);
        }
        release();
        return best;
    }

    // With the other fields at the corner, the value of field `last` nearest its own
    // that balances the card.
    std::optional<Moves> crossing(Moves corner, std::size_t last, const Point& end) {
        Move& move = corner[last];
        const Knob& knob = knobs_[move.knob];
        std::optional<Moves> found;
        for (std::size_t i = 0; i < corner.size(); ++i) {
            if (i != last) probe_.set(knobs_[corner[i].knob], corner[i].to);
        }
        const std::int64_t step = move.to > knob.current ? 1 : -1;
        if (const std::optional<Balancing> balancing = firstInBalance(knob, knob.current + step, move.to, step, nullptr, &end)) {
            move.to = static_cast<std::int32_t>(balancing->at);
            move.relative = knob.relative(move.to);
            found = corner;
        }
        for (const Move& each : corner) probe_.reset(knobs_[each.knob]);
        return found;
    }

    // Moves each numeric change of a balancing combination to the value nearest its
    // own that still balances the card with the others applied. The change `settled`,
    // where given, is already the nearest with the others as they are: it is walked
    // again only once another has moved.
    void refine(Moves& combination, std::optional<std::size_t> settled) {
        bool moved = false;
        for (std::size_t i = 0; i < combination.size(); ++i) {
            Move& move = combination[i];
            const Knob& knob = knobs_[move.knob];
            if (knob.hi - knob.lo <= 1 || (settled == i && !moved)) continue;
            for (const Move& other : combination) {
                if (&other != &move) probe_.set(knobs_[other.knob], other.to);
            }
            const std::int64_t step = move.to > knob.current ? 1 : -1;
            if (knob.current + step != move.to) {
                if (const std::optional<Balancing> balancing = firstInBalance(knob, knob.current + step, move.to - step, step)) {
                    move.to = static_cast<std::int32_t>(balancing->at);
                    move.relative = knob.relative(move.to);
                    moved = true;
                }
            }
            probe_.reset(knob);
            for (const Move& other : combination) {
                if (&other != &move) probe_.reset(knobs_[other.knob]);
            }
        }
    }

    // The first value from `from` by `step` (1 or -1) up to `to` at which the card, with
    // whatever else the probe holds, is in balance; the field's own value is never on
    // the walk. The probe's knob is reset after.
    // `end`, where given, is what the estimate found at `to` already.
    std::optional<Balancing> firstInBalance(const Knob& knob, std::int64_t from, std::int64_t to, int step,
                                            Seen* seen = nullptr, const Point* end = nullptr) {
        // The walk within the field's range.
        from = step > 0 ? std::max<std::int64_t>(from, knob.lo) : std::min<std::int64_t>(from, knob.hi);
        to = step > 0 ? std::min<std::int64_t>(to, knob.hi) : std::max<std::int64_t>(to, knob.lo);
        if ((to - from) * step < 0) return std::nullopt;
        std::optional<Balancing> found;
        bool sound = bisectable(knob);
        if (sound) {
            const std::int64_t split = lastOfFirstPart(knob, from, to, step);
            sound = bisect(knob, from, split, seen, found, split == to ? end : nullptr);
            if (sound && !found && split != to) sound = bisect(knob, split + step, to, seen, found, end);
        }
        if (!sound) {
            if (seen != nullptr) seen->clear();
            found = stepThrough(knob, from, to, step, seen, end);
        }
        probe_.reset(knob);
        return found;
    }

    static bool bonus(const Knob& knob) {
        return knob.field == AdviceField::avoidanceBonus || knob.field == AdviceField::resistanceBonus ||
               knob.field == AdviceField::defenceBonus;
    }

    // A walk is bisected in at most two parts, over each of which the estimate is
    // monotone in the knob as far as its trial levels go: sleep changes its rate after
    // its full rounds, and the best bonus has a weight of its own. The last value of the
    // first part; `to` where there is one part.
    std::int64_t lastOfFirstPart(const Knob& knob, std::int64_t from, std::int64_t to, int step) const {
        std::int64_t bend = 0;  // the last value before the rate changes
        if (bonus(knob)) {
            bend = bestBonus - 1;
        } else if (knob.field == AdviceField::rounds &&
                   std::any_of(tables_.begin(), tables_.end(), [&](const WeightTable* table) {
                       return ruleOf(*table, motions_[knob.motion]) == Rule::sleep;
                   })) {
            bend = static_cast<std::int64_t>(fullSleepRounds);
        } else {
            return to;
        }
        if (step > 0 && from <= bend && to > bend) return bend;
        if (step < 0 && from > bend && to <= bend) return bend + 1;
        return to;
    }

    std::optional<Balancing> stepThrough(const Knob& knob, std::int64_t from, std::int64_t to, int step, Seen* seen,
                                         const Point* end) {
        for (std::int64_t at = from; at != to + step && !exhausted(); at += step) {
            if (!knob.allows(at)) continue;
            std::optional<double> level;
            if (end != nullptr && end->at == at) {
                level = end->level;
            } else {
                probe_.set(knob, static_cast<std::int32_t>(at));
                level = probe_.level();
            }
            if (!level) continue;
            if (seen != nullptr) seen->add(at, *level);
            if (side(*level) == 0) return Balancing{at, *level};
        }
        return std::nullopt;
    }

    // Whether the estimate is monotone in the knob, in each working, over each run of
    // values that try as many trial levels (see the notes at the top).
    bool bisectable(const Knob& knob) const {
        if (walk_ != AdviceWalk::bisecting || knob.skipZero || knob.hi - knob.lo < narrowestBisected) {
            return false;
        }
        if (knob.field == AdviceField::rounds || bonus(knob)) return true;
        if (knob.field != AdviceField::value || tables_.empty()) return false;
        return std::all_of(tables_.begin(), tables_.end(),
                           [&](const WeightTable* table) { return bisectableIn(*table, motions_[knob.motion]); });
    }

    bool bisectableIn(const WeightTable& table, const Motion& motion) const {
        switch (ruleOf(table, motion)) {
        case Rule::none:
        case Rule::life:
        case Rule::fixed:
        case Rule::perRound:
        case Rule::sleep:
        case Rule::perRoundAndValue: return true;
        // The offensive working weighs poison as a triangular number of it, which grows
        // with it only where no poison is negative.
        case Rule::poison: return &table == &supportiveWeights || !negativePoison_;
        // The extreme change has a weight of its own.
        case Rule::loweringAbility:
        case Rule::raisingAbility: break;
        }
        return false;
    }

    std::optional<Point> point(const Knob& knob, std::int64_t at, Seen* seen) {
        probe_.set(knob, static_cast<std::int32_t>(at));
        WorkingTrials tried;
        const std::optional<double> level = probe_.level(&tried);
        if (!level) return std::nullopt;
        if (seen != nullptr) seen->add(at, *level);
        return Point{at, *level, tried};
    }

    // The walk of firstInBalance by bisection; false where an estimate failed.
    bool bisect(const Knob& knob, std::int64_t from, std::int64_t to, Seen* seen, std::optional<Balancing>& found,
                const Point* end = nullptr) {
        const std::optional<Point> first = point(knob, from, seen);
        if (!first) return false;
        if (side(first->level) == 0) {
            found = Balancing{first->at, first->level};
            return true;
        }
        if (from == to) return true;
        const std::optional<Point> last = end != nullptr && end->at == to ? *end : point(knob, to, seen);
        return last && between(knob, *first, *last, seen, found);
    }

    // The first value after `a`, up to `b`, in balance; `a` is not. A walk that keeps
    // nothing it sees skips a stretch whose levels all stay below the balance.
    bool between(const Knob& knob, const Point& a, const Point& b, Seen* seen, std::optional<Balancing>& found) {
        if (seen == nullptr && belowTheBalance(a, b)) return true;
        const std::int64_t gap = b.at - a.at;
        if (a.sameRun(b)) return withinRun(knob, a, b, seen, found);
        if (gap == 1 || gap == -1) {
            if (side(b.level) == 0) found = Balancing{b.at, b.level};
            return true;
        }
        const std::optional<Point> middle = point(knob, a.at + gap / 2, seen);
        if (!middle || !between(knob, a, *middle, seen, found)) return false;
        return found || between(knob, *middle, b, seen, found);
    }

    // Whether every value from `a` to `b` leaves the card below the balance: each
    // working tries at most as many trial levels in between as at the ends.
    bool belowTheBalance(const Point& a, const Point& b) const {
        WorkingTrials most;
        most.offensive = std::max(a.tried.offensive, b.tried.offensive);
        most.supportive = std::max(a.tried.supportive, b.tried.supportive);
        const std::optional<double> ceiling = levelCeiling(probe_.targetType(), most);
        return ceiling && *ceiling < stated_ - balanceTolerance;
    }

    // The same within a run of values that try as many trial levels, where the estimate,
    // and so its side of the balance, is monotone in each working.
    bool withinRun(const Knob& knob, const Point& a, const Point& b, Seen* seen, std::optional<Balancing>& found) {
        if (!a.monotoneTo(b)) return acrossTheTurn(knob, a, b, seen, found);
        return monotoneRun(knob, a, b, seen, found);
    }

    // Where the card's two workings go opposite ways, its level (the greater) falls with
    // the one until the other, rising, reaches it, and rises with that one after: the
    // first value where the rising one is the greater splits the run into two monotone
    // ones.
    bool acrossTheTurn(const Knob& knob, const Point& a, const Point& b, Seen* seen, std::optional<Balancing>& found) {
        const bool offensiveRises = a.tried.offensiveLevel < b.tried.offensiveLevel;
        const auto risen = [offensiveRises](const Point& p) {
            return offensiveRises ? p.tried.offensiveLevel >= p.tried.supportiveLevel
                                  : p.tried.supportiveLevel >= p.tried.offensiveLevel;
        };
        if (risen(a) || !risen(b)) return monotoneRun(knob, a, b, seen, found);
        Point before = a, after = b;
        if (!narrow(knob, before, after, seen, risen)) return false;
        if (!monotoneRun(knob, a, before, seen, found)) return false;
        if (found) return true;
        if (side(after.level) == 0) {
            found = Balancing{after.at, after.level};
            return true;
        }
        return monotoneRun(knob, after, b, seen, found);
    }

    // The first value after `a`, up to `b`, in balance, where the card's level is
    // monotone from `a` to `b`; `a` is not in balance.
    bool monotoneRun(const Knob& knob, const Point& a, const Point& b, Seen* seen, std::optional<Balancing>& found) {
        if (a.at == b.at) return true;
        const int start = side(a.level);
        if (side(b.level) == start) return seen == nullptr || firstOfLevel(knob, a, b, seen);
        Point before = a, after = b;
        if (!narrow(knob, before, after, seen, [&](const Point& p) { return side(p.level) != start; })) return false;
        if (side(after.level) == 0) {
            found = Balancing{after.at, after.level};
            return true;
        }
        return seen == nullptr || firstOfLevel(knob, a, before, seen);
    }

    // Within a monotone run from `a` to `b`, the values at b's level are the last ones;
    // the first of them is the one nearest the field's own, which a walk value by value
    // would keep of them where that level comes closer than a's.
    bool firstOfLevel(const Knob& knob, const Point& a, const Point& b, Seen* seen) {
        if (!(std::fabs(b.level - stated_) < std::fabs(a.level - stated_))) return true;
        const std::int64_t step = b.at > a.at ? 1 : -1;
        if (b.at - step == a.at) return true;
        const std::optional<Point> next = point(knob, b.at - step, seen);
        if (!next) return false;
        if (next->level != b.level) return true;
        Point below = a, at = *next;
        return narrow(knob, below, at, seen, [&](const Point& p) { return p.level == b.level; });
    }

    // Bisects until `before` and `after` are neighbours, where a predicate that changes
    // once along the walk does not hold at `before` and holds at `after`; false where an
    // estimate failed.
    template <class Holds>
    bool narrow(const Knob& knob, Point& before, Point& after, Seen* seen, const Holds& holds) {
        while (after.at - before.at > 1 || before.at - after.at > 1) {
            const std::optional<Point> middle = point(knob, before.at + (after.at - before.at) / 2, seen);
            if (!middle) return false;
            (holds(*middle) ? after : before) = *middle;
        }
        return true;
    }

    Probe probe_;
    std::vector<Knob> knobs_;
    std::int32_t stated_;
    double estimate_;
    AdviceWalk walk_;
    std::vector<const WeightTable*> tables_;  // of the workings the card calls for
    const std::vector<Motion>& motions_;
    std::vector<Ends> ends_;                       // of each knob
    bool negativePoison_;                          // in the offensive working
    std::optional<double> unchanged_;              // the level of the card as read, as the probe finds it
    std::vector<double> leastRelative_;            // of each knob: the relative size of its smallest change
};

Advice adviceOf(const SkillCard& card, const std::vector<Knob>& knobs, const Moves& moves,
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

std::vector<Advice> adviseOn(const SkillCard& card, const LevelEstimate& estimate, AdviceWalk walk,
                             AdviceExtent extent) {
    std::vector<Advice> advice;
    if (!estimate.level || !std::isfinite(*estimate.level) || inBalance(*estimate.level, card.cardLevel) ||
        !trusted(card)) {
        return advice;
    }
    Search search(card, *estimate.level, walk);
    const std::vector<Knob>& knobs = search.knobs();

    // The first piece alone is the nearest single change of the first group that has one,
    // or the first of everything else: later groups are not walked, nor any change as
    // large as one found.
    const bool firstOnly = extent == AdviceExtent::first;
    std::vector<std::pair<Move, double>> singles;
    std::optional<double> smallest;  // the smallest relative change of the singles found
    std::optional<std::pair<Move, double>> closest;
    std::vector<double> spans(knobs.size(), 0);
    for (std::size_t index = 0; index < knobs.size(); ++index) {
        if (firstOnly && smallest && knobs[index].group != knobs[singles.front().first.knob].group) break;
        const Single single = search.single(index, singles.empty(), firstOnly ? smallest : std::nullopt);
        if (single.seen.any) {
            spans[index] = std::max(single.seen.highest, *estimate.level) - std::min(single.seen.lowest, *estimate.level);
        }
        if (single.balancing) {
            singles.emplace_back(*single.balancing, single.estimate);
            smallest = std::min(smallest.value_or(single.balancing->relative), single.balancing->relative);
        }
        if (single.seen.any && (!closest || std::fabs(single.seen.closestLevel - card.cardLevel) <
                                                std::fabs(closest->second - card.cardLevel))) {
            const auto to = static_cast<std::int32_t>(single.seen.closest);
            closest = std::make_pair(Move{index, to, knobs[index].relative(to)}, single.seen.closestLevel);
        }
    }
    if (search.exhausted()) return {};
    std::stable_sort(singles.begin(), singles.end(), [&](const auto& a, const auto& b) {
        const int groupA = knobs[a.first.knob].group;
        const int groupB = knobs[b.first.knob].group;
        if (groupA != groupB) return groupA < groupB;
        return a.first.relative < b.first.relative;
    });
    for (const auto& [move, level] : singles) {
        advice.push_back(adviceOf(card, knobs, {move}, level));
        if (firstOnly) return advice;
    }

    if (singles.empty()) {
        for (std::size_t size = 2; size <= 3 && advice.empty(); ++size) {
            for (const Moves& combination : search.combinations(size, spans, firstOnly ? 1 : mostCombinations)) {
                if (const std::optional<double> level = search.tryMoves(combination)) {
                    advice.push_back(adviceOf(card, knobs, combination, *level));
                }
            }
        }
        if (advice.empty() && closest) advice.push_back(adviceOf(card, knobs, {closest->first}, closest->second));
    }

    if (firstOnly && !advice.empty()) return advice;
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
