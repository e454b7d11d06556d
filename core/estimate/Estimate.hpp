#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "estimate/Weights.hpp"

namespace Vantorn {

class SkillCard;

// One trial level of a working and the power the card would have at it.
struct TrialLevel {
    int level;
    double power;
};

// One estimator's working: the totals of the card's motions, the trial levels it
// went through and the level they give.
struct LevelWorking {
    Totals totals;
    std::vector<TrialLevel> trials;
    double level = 0;
};

// Which workings a card's target calls for.
enum class EstimateKind { none, offensive, supportive, both };

// The estimate of one card, computed whole before anything is written.
struct LevelEstimate {
    EstimateKind kind = EstimateKind::none;
    // Offensive first where a card has both.
    std::vector<LevelWorking> workings;
    // Cards aimed at both sides as a whole are not estimated: no level.
    std::optional<double> level;
};

// The estimate of a loaded card.
LevelEstimate estimateLevel(const SkillCard& card);
// Its level alone, computed the same way without keeping the workings: for callers
// that estimate many variants of a card. `trials`, where given, is set to the number of
// trial levels of a card with one working, and to 0 for any other.
std::optional<double> estimatedLevel(const SkillCard& card, int* trials = nullptr);

// A card's motions weighed in the workings its target calls for (the other stays zero).
// Weighing goes in list order, so totals after the first n motions can be carried over
// to any variant of the card that differs only past them, and give the same level.
struct MotionTotals {
    Totals offensive;
    Totals supportive;
};
// The card's motions from place `from` up to (not including) `to`, weighed onto `start`.
MotionTotals weighCardMotions(const SkillCard& card, const MotionTotals& start = {}, std::size_t from = 0,
                              std::size_t to = SIZE_MAX);
// The level of the card whose motions weigh `totals`.
std::optional<double> estimatedLevel(const SkillCard& card, const MotionTotals& totals, int* trials = nullptr);
// The table the one working of a card is weighed with, or none where its target calls
// for no working or for both.
const WeightTable* workingWeights(const SkillCard& card);

// The working of a card aimed at enemies.
LevelWorking estimateOffensive(const SkillCard& card);
// The working of a card aimed at the user's side (before the user-only factor).
LevelWorking estimateSupportive(const SkillCard& card);
// The levels of the same two workings alone from the totals of the card's motions, and
// how many trial levels they tried.
double offensiveLevel(const SkillCard& card, const Totals& weighed, int* trials = nullptr);
double supportiveLevel(const SkillCard& card, const Totals& weighed, int* trials = nullptr);
// The level of a card without a target, judged by its bonuses alone.
double estimateNoTarget(const SkillCard& card);

const char* estimateKindName(EstimateKind kind);

}  // namespace Vantorn
