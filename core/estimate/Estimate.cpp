#include "estimate/Estimate.hpp"

#include <algorithm>

#include "cards/SkillCard.hpp"
#include "estimate/Working.hpp"

namespace Vantorn {
namespace {

// A card that helps its user alone is worth less than one that helps the whole party.
constexpr double userOnlyFactor = 0.75;

// The level by the card's target, from the levels of the workings it calls for, each
// asked of `offensive` and `supportive` (offensive first where it has both).
template <class Offensive, class Supportive>
std::optional<double> levelByTarget(const SkillCard& card, const Offensive& offensive,
                                    const Supportive& supportive) {
    switch (card.targetType) {
    case 0: return estimateNoTarget(card);
    case 1: return supportive() * userOnlyFactor;
    case 2: return supportive();
    case 3: return offensive();
    default: break;  // 4, the last type a loaded card can have
    }
    // Cards aimed at both sides as a whole are not estimated.
    if (card.targetsAll) {
        return std::nullopt;
    }
    const double a = offensive();
    const double b = supportive();
    return a > b ? a : b;
}

EstimateKind kindOf(const SkillCard& card) {
    switch (card.targetType) {
    case 0: return EstimateKind::none;
    case 1:
    case 2: return EstimateKind::supportive;
    case 3: return EstimateKind::offensive;
    default: return EstimateKind::both;
    }
}

}  // namespace

LevelEstimate estimateLevel(const SkillCard& card) {
    LevelEstimate estimate{kindOf(card), {}, std::nullopt};
    const auto keep = [&](LevelWorking working) {
        estimate.workings.push_back(std::move(working));
        return estimate.workings.back().level;
    };
    estimate.level = levelByTarget(
        card, [&] { return keep(estimateOffensive(card)); }, [&] { return keep(estimateSupportive(card)); });
    return estimate;
}

MotionTotals weighCardMotions(const SkillCard& card, const MotionTotals& start, std::size_t from, std::size_t to) {
    MotionTotals totals = start;
    const EstimateKind kind = kindOf(card);
    const bool offensive = kind == EstimateKind::offensive || kind == EstimateKind::both;
    const bool supportive = kind == EstimateKind::supportive || kind == EstimateKind::both;
    const Motion* first = card.motions.data() + std::min(from, card.motions.size());
    const Motion* last = card.motions.data() + std::min(to, card.motions.size());
    if (offensive) weighEach(offensiveWeights, first, last, totals.offensive);
    if (supportive) weighEach(supportiveWeights, first, last, totals.supportive);
    return totals;
}

std::optional<double> estimatedLevel(const SkillCard& card, const MotionTotals& totals, WorkingTrials* trials) {
    WorkingTrials tried;
    const std::optional<double> level = levelByTarget(
        card,
        [&] { return tried.offensiveLevel = offensiveLevel(card, totals.offensive, &tried.offensive); },
        [&] { return tried.supportiveLevel = supportiveLevel(card, totals.supportive, &tried.supportive); });
    if (trials != nullptr) *trials = tried;
    return level;
}

std::optional<double> levelCeiling(std::int32_t targetType, const WorkingTrials& most) {
    const auto below = [](int trials) -> std::optional<double> {
        if (trials <= 0 || trials >= trialLevelCount) return std::nullopt;
        return static_cast<double>(trials) + 1;
    };
    const std::optional<double> offensive = below(most.offensive);
    const std::optional<double> supportive = below(most.supportive);
    switch (targetType) {
    case 1: return supportive ? std::optional<double>(*supportive * userOnlyFactor) : std::nullopt;
    case 2: return supportive;
    case 3: return offensive;
    case 4: return offensive && supportive ? std::optional<double>(std::max(*offensive, *supportive)) : std::nullopt;
    default: return std::nullopt;
    }
}

std::vector<const WeightTable*> workingTables(const SkillCard& card) {
    switch (kindOf(card)) {
    case EstimateKind::offensive: return {&offensiveWeights};
    case EstimateKind::supportive: return {&supportiveWeights};
    case EstimateKind::both: return {&offensiveWeights, &supportiveWeights};
    case EstimateKind::none: break;
    }
    return {};
}

const char* estimateKindName(EstimateKind kind) {
    switch (kind) {
    case EstimateKind::offensive: return "offensive";
    case EstimateKind::supportive: return "supportive";
    case EstimateKind::both: return "both";
    case EstimateKind::none: break;
    }
    return "none";
}

}  // namespace Vantorn
