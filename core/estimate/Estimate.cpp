#include "estimate/Estimate.hpp"

#include "cards/SkillCard.hpp"

namespace Vantorn {
namespace {

// A card that helps its user alone is worth less than one that helps the whole party.
constexpr double userOnlyFactor = 0.75;

LevelEstimate bothSides(const SkillCard& card) {
    LevelEstimate estimate{EstimateKind::both, {}, std::nullopt};
    if (card.targetsAll) {
        return estimate;
    }
    estimate.workings = {estimateOffensive(card), estimateSupportive(card)};
    const double offensive = estimate.workings[0].level;
    const double supportive = estimate.workings[1].level;
    estimate.level = offensive > supportive ? offensive : supportive;
    return estimate;
}

LevelEstimate supportive(const SkillCard& card, double factor) {
    LevelWorking working = estimateSupportive(card);
    const double level = working.level * factor;
    return {EstimateKind::supportive, {std::move(working)}, level};
}

}  // namespace

LevelEstimate estimateLevel(const SkillCard& card) {
    switch (card.targetType) {
    case 0: return {EstimateKind::none, {}, estimateNoTarget(card)};
    case 1: return supportive(card, userOnlyFactor);
    case 2: return supportive(card, 1);
    case 3: {
        LevelWorking working = estimateOffensive(card);
        const double level = working.level;
        return {EstimateKind::offensive, {std::move(working)}, level};
    }
    default: return bothSides(card);  // 4, the last type a loaded card can have
    }
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
