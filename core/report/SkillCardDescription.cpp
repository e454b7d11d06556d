// The readable description of a whole skill card.

#include <array>
#include <ostream>
#include <stdexcept>

#include "cards/SkillCard.hpp"
#include "report/Line.hpp"

namespace Vantorn {
namespace {

constexpr std::array<const char*, 5> targetTypeNames = {
    "対象無し", "使用者", "味方", "敵方", "双方",
};
constexpr std::array<const char*, 4> effectAttributeNames = {
    "物理", "魔法", "魔法的物理", "物理的魔法",
};
constexpr std::array<const char*, 6> abilityNames = {
    "器用度", "知力", "敏捷性", "筋力", "生命力", "精神力",
};
// Indexed by mentalElement + 5: opposite poles sit at the same distance from the middle.
constexpr std::array<const char*, 11> personalityNames = {
    "正直", "大胆", "臆病", "内気", "平和", "????", "好戦", "陽気", "勇敢", "慎重", "狡猾",
};

}  // namespace

std::string SkillCard::getTargetTypeName(int index) {
    if (index < 0 || index >= static_cast<int>(targetTypeNames.size())) {
        throw std::out_of_range("SkillCard::getTargetTypeName(): argument out of range");
    }
    return targetTypeNames[index];
}

// Indexes the name tables unchecked: load has range-checked every coded field.
void SkillCard::describe(std::ostream& out) const {
    const char* range = targetType == 0 ? "" : targetsAll ? "全体" : "単体";
    writeLine(out, "名称: ", name);
    writeLine(out, "技能Lv: ", cardLevel);
    writeLine(out, "目標: ", targetTypeNames[targetType], range);
    writeLine(out, "効果属性: ", effectAttributeNames[effectAttribute]);
    writeLine(out, "沈黙時使用: ", unusableWhenSilenced ? "不可" : "可");
    writeLine(out, "抵抗属性: ", usesResist ? "抵抗" : "回避");
    writeLine(out, "成功率修正値: ", successModifier);
    writeLine(out, "使用時ボーナス(回避, 抵抗, 防御): ", bonuses[0], ", ", bonuses[1], ", ", bonuses[2]);
    writeLine(out, "身体的要素: ", abilityNames[physicalElement]);
    writeLine(out, "精神的要素: ", personalityNames[mentalElement + 5]);
    writeLine(out, "キーコード: ", keyCodes[0], ", ", keyCodes[1], ", ", keyCodes[2], ", ",
              keyCodes[3], ", ", keyCodes[4]);
    for (const Motion& motion : motions) {
        motion.describe(out);
        writeLine(out);
    }
    eventPart.describe(out);
}

}  // namespace Vantorn
