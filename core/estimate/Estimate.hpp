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
// What the estimate of a variant went through in each working the card calls for: how
// many trial levels it tried and the level it found (0 for a working not called for).
struct WorkingTrials {
    int offensive = 0;
    int supportive = 0;
    double offensiveLevel = 0;
    double supportiveLevel = 0;
};
// The level of the card whose motions weigh `totals`, computed as estimateLevel does
// without keeping the workings, for callers that estimate many variants of a card;
// `trials`, where given, is set to what each working went through.
std::optional<double> estimatedLevel(const SkillCard& card, const MotionTotals& totals,
                                     WorkingTrials* trials = nullptr);
// A bound on the level of a card aimed by `targetType` whose workings try at most
// `most` trial levels each: a working that stops at trial level k < 10 stops because its
// level is below k + 1. None where a working may try all ten, or the card has none.
std::optional<double> levelCeiling(std::int32_t targetType, const WorkingTrials& most);

// The tables the workings a card's target calls for weigh its motions with, offensive
// first.
std::vector<const WeightTable*> workingTables(const SkillCard& card);

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
