#include "advice/Advice.hpp"

#include <cmath>
#include <ostream>

#include "advice/AdviceLines.hpp"
#include "advice/CardFields.hpp"
#include "cards/SkillCard.hpp"

namespace Vantorn {

SkillCard changeableFields(const SkillCard& card) {
    SkillCard fields;
    fields.targetType = card.targetType;
    fields.targetsAll = card.targetsAll;
    fields.successModifier = card.successModifier;
    fields.unusableWhenSilenced = card.unusableWhenSilenced;
    fields.effectAttribute = card.effectAttribute;
    fields.bonuses = card.bonuses;
    fields.cardLevel = card.cardLevel;
    return fields;
}

bool inBalance(double estimate, std::int32_t statedLevel) {
    return std::fabs(estimate - statedLevel) <= balanceTolerance;
}

bool AdviceChange::flag() const {
    return field == AdviceField::targetsAll || field == AdviceField::unusableWhenSilenced;
}

std::string AdviceChange::pointer() const {
    const std::string place = "/motions/" + std::to_string(motion);
    switch (field) {
    case AdviceField::value: return place + "/value";
    case AdviceField::rounds: return place + "/rounds";
    case AdviceField::motion: return place;
    case AdviceField::successModifier: return "/successModifier";
    case AdviceField::avoidanceBonus: return "/bonuses/avoidance";
    case AdviceField::resistanceBonus: return "/bonuses/resistance";
    case AdviceField::defenceBonus: return "/bonuses/defence";
    case AdviceField::targetsAll: return "/target/all";
    case AdviceField::effectAttribute: return "/effectAttribute/code";
    case AdviceField::unusableWhenSilenced: return "/unusableWhenSilenced";
    case AdviceField::level: break;
    }
    return "/level";
}

void writeAdviceLines(std::ostream& out, const std::vector<Advice>& advice, std::size_t most) {
    for (std::size_t i = 0; i < advice.size() && i < most; ++i) {
        out << "提案: " << advice[i].text << '\n';
    }
}

}  // namespace Vantorn
