// The sentence of a piece of advice, in the description's own words: each line of the
// description that the changes touch, as it was, an arrow and what follows its label
// after the changes, then the estimate as the level line writes it.

#include <algorithm>
#include <functional>
#include <vector>

#include "advice/Advice.hpp"
#include "advice/CardFields.hpp"
#include "cards/SkillCard.hpp"
#include "report/Real.hpp"
#include "report/Report.hpp"

namespace Vantorn {
namespace {

// The parameter lines of the description, by their place, and the first motion's.
constexpr std::size_t levelLine = 1;
constexpr std::size_t targetLine = 2;
constexpr std::size_t attributeLine = 3;
constexpr std::size_t silencedLine = 4;
constexpr std::size_t successLine = 6;
constexpr std::size_t bonusLine = 7;
constexpr std::size_t firstMotionLine = descriptionParameterLines;
constexpr int levelPrecision = 3;

// Every field of the card; the events are shared, as nothing changes them once read.
SkillCard copyOf(const SkillCard& card) {
    SkillCard copy = changeableFields(card);
    copy.name = card.name;
    copy.text2 = card.text2;
    copy.text3 = card.text3;
    copy.text4 = card.text4;
    copy.extraTexts = card.extraTexts;
    copy.keyCodes = card.keyCodes;
    copy.usesResist = card.usesResist;
    copy.physicalElement = card.physicalElement;
    copy.mentalElement = card.mentalElement;
    copy.codeAfterKeys = card.codeAfterKeys;
    copy.extraByte = card.extraByte;
    copy.eventPart.share(card.eventPart);
    copy.motions = card.motions;
    return copy;
}

std::size_t lineOf(const AdviceChange& change) {
    switch (change.field) {
    case AdviceField::value:
    case AdviceField::rounds:
    case AdviceField::motion: return firstMotionLine + static_cast<std::size_t>(change.motion);
    case AdviceField::successModifier: return successLine;
    case AdviceField::avoidanceBonus:
    case AdviceField::resistanceBonus:
    case AdviceField::defenceBonus: return bonusLine;
    case AdviceField::targetsAll: return targetLine;
    case AdviceField::effectAttribute: return attributeLine;
    case AdviceField::unusableWhenSilenced: return silencedLine;
    case AdviceField::level: break;
    }
    return levelLine;
}

void apply(SkillCard& card, const AdviceChange& change) {
    const std::int32_t to = change.to.value_or(0);
    switch (change.field) {
    case AdviceField::value: card.motions[change.motion].value = to; break;
    case AdviceField::rounds: card.motions[change.motion].rounds = to; break;
    case AdviceField::motion: break;  // the description keeps its line; advisedCard erases it
    case AdviceField::successModifier: card.successModifier = to; break;
    case AdviceField::avoidanceBonus: card.bonuses[0] = to; break;
    case AdviceField::resistanceBonus: card.bonuses[1] = to; break;
    case AdviceField::defenceBonus: card.bonuses[2] = to; break;
    case AdviceField::targetsAll: card.targetsAll = to != 0; break;
    case AdviceField::effectAttribute: card.effectAttribute = to; break;
    case AdviceField::unusableWhenSilenced: card.unusableWhenSilenced = to != 0; break;
    case AdviceField::level: card.cardLevel = to; break;
    }
}

// "label: before → after", the label written once.
void appendArrow(std::string& out, const std::string& before, const std::string& after) {
    const std::size_t colon = before.find(": ");
    const std::size_t label = colon == std::string::npos ? 0 : colon + 2;
    out += before;
    out += " → ";
    if (label > 0 && after.compare(0, label, before, 0, label) == 0) {
        out.append(after, label, std::string::npos);
    } else {
        out += after;
    }
}

// A touched line after all the changes: a motion's from the motion as changed, the
// others from the card's fields as changed.
std::string lineAfter(const SkillCard& card, const SkillCard& fields, const Advice& advice, std::size_t line) {
    if (line < firstMotionLine) return descriptionLine(fields, line);
    const auto place = static_cast<int>(line - firstMotionLine);
    Motion motion = card.motions[static_cast<std::size_t>(place)];
    for (const AdviceChange& change : advice.changes) {
        if (change.motion != place) continue;
        const std::int32_t to = change.to.value_or(0);
        if (change.field == AdviceField::value) motion.value = to;
        if (change.field == AdviceField::rounds) motion.rounds = to;
    }
    return motionText(motion);
}

}  // namespace

SkillCard advisedCard(const SkillCard& card, const Advice& advice) {
    SkillCard changed = copyOf(card);
    std::vector<int> removed;
    for (const AdviceChange& change : advice.changes) {
        apply(changed, change);
        if (change.field == AdviceField::motion) removed.push_back(change.motion);
    }
    std::sort(removed.begin(), removed.end(), std::greater<>());
    for (int place : removed) changed.motions.erase(changed.motions.begin() + place);
    return changed;
}

std::string adviceText(const SkillCard& card, const Advice& advice) {
    SkillCard fields = changeableFields(card);
    std::vector<std::size_t> lines;
    std::vector<std::size_t> removed;
    for (const AdviceChange& change : advice.changes) {
        if (change.motion < 0) apply(fields, change);
        const std::size_t line = lineOf(change);
        if (change.field == AdviceField::motion) removed.push_back(line);
        bool seen = false;
        for (std::size_t known : lines) seen = seen || known == line;
        if (!seen) lines.push_back(line);
    }
    std::string out;
    const char* separator = "";
    for (std::size_t line : lines) {
        out += separator;
        separator = "、";
        bool removal = false;
        for (std::size_t gone : removed) removal = removal || gone == line;
        const std::string was = descriptionLine(card, line);
        if (removal) {
            out += was;
            out += " → 削除";
        } else {
            appendArrow(out, was, lineAfter(card, fields, advice, line));
        }
    }
    out += " で推定Lv ";
    out += realText(advice.estimate, std::chars_format::general, levelPrecision);
    if (!advice.balanced) out += " (釣り合わない)";
    return out;
}

}  // namespace Vantorn
