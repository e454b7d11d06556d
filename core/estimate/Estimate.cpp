#include "estimate/Estimate.hpp"

#include <ostream>

#include "cards/SkillCard.hpp"
#include "estimate/Real.hpp"
#include "report/Line.hpp"

namespace Vantorn {
namespace {

// Shown for cards aimed at both sides as a whole, which are not estimated.
constexpr double notImplementedLevel = -774.0;
constexpr std::streamsize levelPrecision = 3;
// A card that helps its user alone is worth less than one that helps the whole party.
constexpr double userOnlyFactor = 0.75;

double bothSidesLevel(const SkillCard& card, std::ostream& out) {
    if (card.targetsAll) {
        writeLine(out, "双方全体: not yet implemented.");
        return notImplementedLevel;
    }
    // Offensive first, so that its working comes first.
    const double offensive = estimateOffensive(card, out);
    const double supportive = estimateSupportive(card, out);
    return offensive > supportive ? offensive : supportive;
}

double levelOf(const SkillCard& card, std::ostream& out) {
    switch (card.targetType) {
    case 0: return estimateNoTarget(card, out);
    case 1: return estimateSupportive(card, out) * userOnlyFactor;
    case 2: return estimateSupportive(card, out);
    case 3: return estimateOffensive(card, out);
    default: return bothSidesLevel(card, out);  // 4, the last type a loaded card can have
    }
}

}  // namespace

void estimateLevel(const SkillCard& card, std::ostream& out) {
    // A stream of its own over the caller's buffer: the precisions set here stay here.
    std::ostream stream(out.rdbuf());
    stream.copyfmt(out);
    const double level = levelOf(card, stream);
    stream.precision(levelPrecision);
    writeLine(stream, "level: ", Real{level});
}

}  // namespace Vantorn
